/*
 * Leafcraft's page editor. It edits the working folder's page list (pages.xml, read from the
 * folder this page lies in) in place: each placed item is an Item element of its Page, after
 * the page's pictures, with its place as fractions of the page (origin top left):
 *   <Item name="Image|Video|Audio|Swf|Link" type="rect" x=".." y=".." width=".." height=".."
 *         href="editor/..." [action="web"] [title=".."] [autoplay="Yes|No"] [loop="Yes|No"]/>
 * A link imported from the PDF to another page carries action="page" pageIndex="N" instead of href.
 * The program's bridge (window.myconnector) copies picked files into files/editor, deletes
 * them and saves; it calls GetPageConfig() and ReName() below. Every value is shown as text.
 */
(function () {
    'use strict';

    var PAGE_PICTURES = { thumb: true, normal: true, large: true };
    var KINDS = { Image: 'Picture', Video: 'Movie', Audio: 'Sound', Swf: 'SWF clip', Link: 'Link area' };
    var SYMBOLS = { Video: '\u25B6', Audio: '\u266A', Swf: '\u2B1A' };

    var doc = null;        // the page list being edited
    var pages = [];        // its Page elements
    var current = -1;      // index of the page shown
    var chosen = null;     // the chosen Item element
    var savedFiles = {};   // editor files the saved page list names
    var seenFiles = {};    // every editor file named during this session
    var savedText = '';    // the page list as last read or saved
    var cascade = 0;

    function $(id) { return document.getElementById(id); }
    function bridge() { return window.myconnector || null; }

    function status(text, problem) {
        var s = $('pe-status');
        s.textContent = text;
        s.classList.toggle('pe-problem', !!problem);
    }

    // Where the page shows a file the page list names (relative to files/, or absolute).
    function fileUrl(path) {
        path = String(path || '').trim();
        if (/^(https?|file):/i.test(path)) return path;
        if (path.charAt(0) === '/') return 'file://' + encodeURI(path);
        return 'files/' + path.split('/').map(encodeURIComponent).join('/');
    }

    function round(v) { return String(Math.round(v * 10000) / 10000); }
    function num(el, name) { return parseFloat(el.getAttribute(name)); }
    function clamp(v, lo, hi) { return Math.min(hi, Math.max(lo, v)); }

    // The file a page picture names; for an SWF page, the JPG picture the book carries beside it
    // (a browser shows no SWF). SVG pages show as they are.
    function pictureOf(page, name) {
        var items = page.getElementsByTagName('Item');
        for (var i = 0; i < items.length; i++)
            if (items[i].getAttribute('name') === name) return items[i].textContent.trim().replace(/\.swf$/i, '.jpg');
        return '';
    }

    function placedItems(page) {
        var out = [];
        for (var c = page.firstElementChild; c; c = c.nextElementSibling) {
            if (c.tagName !== 'Item' || PAGE_PICTURES[c.getAttribute('name')]) continue;
            if (!KINDS[c.getAttribute('name')] || c.getAttribute('type') !== 'rect') continue;
            if (!['x', 'y', 'width', 'height'].every(function (a) { return isFinite(num(c, a)); })) continue;
            out.push(c);
        }
        return out;
    }

    // A link to another page of the book (imported from the PDF): its target is its pageIndex.
    function isPageLink(it) { return it.getAttribute('name') === 'Link' && it.getAttribute('action') === 'page'; }

    // What an item's box says when it has no title: its target page, address or file name.
    function caption(it) {
        var href = it.getAttribute('href') || '';
        if (isPageLink(it)) return '\u2192 Page ' + (it.getAttribute('pageIndex') || '?');
        return it.getAttribute('name') === 'Link' ? href : href.split('/').pop();
    }

    function editorFiles() {
        var files = {};
        pages.forEach(function (p) {
            placedItems(p).forEach(function (it) {
                var href = it.getAttribute('href') || '';
                if (it.getAttribute('name') !== 'Link' && href.indexOf('editor/') === 0) files[href] = true;
            });
        });
        return files;
    }

    // ---------------------------------------------------------------- the bridge's side

    window.GetPageConfig = function () {
        return doc ? new XMLSerializer().serializeToString(doc) : '';
    };
    window.ReName = function () { return $('pe-rename').checked ? 'YES' : 'NO'; };

    // ---------------------------------------------------------------- drawing

    function buildStrip() {
        var strip = $('pe-strip');
        strip.textContent = '';
        pages.forEach(function (page, i) {
            var b = document.createElement('button');
            b.type = 'button';
            b.className = 'pe-thumb';
            b.setAttribute('aria-label', 'Page ' + (i + 1));
            var img = document.createElement('img');
            img.alt = '';
            img.loading = 'lazy';
            img.src = fileUrl(pictureOf(page, 'thumb') || pictureOf(page, 'normal'));
            var label = document.createElement('span');
            label.textContent = String(i + 1);
            b.appendChild(img);
            b.appendChild(label);
            b.addEventListener('click', function () { showPage(i); });
            strip.appendChild(b);
        });
    }

    function pageAspect(page) {
        var w = parseFloat(page.getAttribute('width')) || parseFloat(doc.documentElement.getAttribute('width'));
        var h = parseFloat(page.getAttribute('height')) || parseFloat(doc.documentElement.getAttribute('height'));
        return w > 0 && h > 0 ? w / h : 0.75;
    }

    function fitPage() {
        if (current < 0) return;
        var stage = document.querySelector('.pe-stage');
        var aspect = pageAspect(pages[current]);
        var room = { w: stage.clientWidth - 24, h: stage.clientHeight - 24 };
        var w = Math.min(room.w, room.h * aspect);
        var box = $('pe-page');
        box.style.width = Math.max(50, w) + 'px';
        box.style.height = Math.max(50, w / aspect) + 'px';
    }

    function showPage(i) {
        current = i;
        chosen = null;
        var thumbs = $('pe-strip').children;
        for (var t = 0; t < thumbs.length; t++) thumbs[t].classList.toggle('pe-chosen', t === i);
        $('pe-page-picture').src = fileUrl(pictureOf(pages[i], 'normal'));
        fitPage();
        drawItems();
        showPanel();
    }

    function drawItems() {
        var layer = $('pe-items');
        layer.textContent = '';
        if (current < 0) return;
        placedItems(pages[current]).forEach(function (it) { layer.appendChild(itemView(it)); });
    }

    function place(view, it) {
        view.style.left = num(it, 'x') * 100 + '%';
        view.style.top = num(it, 'y') * 100 + '%';
        view.style.width = num(it, 'width') * 100 + '%';
        view.style.height = num(it, 'height') * 100 + '%';
    }

    function itemView(it) {
        var kind = it.getAttribute('name');
        var href = it.getAttribute('href') || '';
        var view = document.createElement('div');
        view.className = 'pe-item pe-kind-' + kind + (it === chosen ? ' pe-chosen' : '');
        view.tabIndex = 0;
        view.setAttribute('role', 'button');
        view.setAttribute('aria-label', KINDS[kind] + ' ' + (it.getAttribute('title') || caption(it)));
        place(view, it);
        if (kind === 'Image') {
            var img = document.createElement('img');
            img.alt = '';
            img.src = fileUrl(href);
            img.addEventListener('load', function () { fitNewPicture(it, img, view); });
            view.appendChild(img);
        } else if (SYMBOLS[kind]) {
            view.appendChild(document.createTextNode(SYMBOLS[kind]));
        }
        var label = document.createElement('span');
        label.className = 'pe-label';
        label.textContent = it.getAttribute('title') || caption(it) || KINDS[kind];
        view.appendChild(label);
        var handle = document.createElement('span');
        handle.className = 'pe-handle';
        view.appendChild(handle);
        // The view under the pointer stays in place (choosing it only marks it), so that it can
        // capture the pointer for the drag and take the arrow keys after the click.
        view.addEventListener('pointerdown', function (e) {
            if (chosen !== it) choose(it, view);
            startDrag(e, it, view, e.target === handle);
        });
        view.addEventListener('keydown', function (e) { onItemKey(e, it, view); });
        view.addEventListener('focus', function () { if (chosen !== it) choose(it, view); });
        return view;
    }

    // A picture placed just now takes its own proportions.
    function fitNewPicture(it, img, view) {
        if (!it.__fresh || !img.naturalWidth) return;
        delete it.__fresh;
        var h = num(it, 'width') * (img.naturalHeight / img.naturalWidth) * pageAspect(pages[current]);
        it.setAttribute('height', round(clamp(h, 0.02, 1 - num(it, 'y'))));
        place(view, it);
        if (chosen === it) showPlace();
    }

    function choose(it, view) {
        chosen = it;
        var views = $('pe-items').children;
        for (var i = 0; i < views.length; i++) views[i].classList.remove('pe-chosen');
        if (view) view.classList.add('pe-chosen');
        else drawItems();
        showPanel();
    }

    // ---------------------------------------------------------------- moving and resizing

    function moveBy(it, dx, dy, resize) {
        var x = num(it, 'x'), y = num(it, 'y'), w = num(it, 'width'), h = num(it, 'height');
        if (resize) {
            w = clamp(w + dx, 0.01, 1 - x);
            h = clamp(h + dy, 0.01, 1 - y);
        } else {
            x = clamp(x + dx, 0, 1 - w);
            y = clamp(y + dy, 0, 1 - h);
        }
        it.setAttribute('x', round(x));
        it.setAttribute('y', round(y));
        it.setAttribute('width', round(w));
        it.setAttribute('height', round(h));
    }

    function startDrag(e, it, view, resize) {
        if (e.button !== 0) return;
        e.preventDefault();
        view.focus({ preventScroll: true });
        var box = $('pe-page').getBoundingClientRect();
        var last = { x: e.clientX, y: e.clientY };
        try {
            view.setPointerCapture(e.pointerId);
        } catch (err) {
            // Without capture the drag still follows the pointer while it is over the item.
        }
        function move(ev) {
            moveBy(it, (ev.clientX - last.x) / box.width, (ev.clientY - last.y) / box.height, resize);
            last = { x: ev.clientX, y: ev.clientY };
            place(view, it);
            showPlace();
        }
        function up() {
            view.removeEventListener('pointermove', move);
            view.removeEventListener('pointerup', up);
            view.removeEventListener('pointercancel', up);
        }
        view.addEventListener('pointermove', move);
        view.addEventListener('pointerup', up);
        view.addEventListener('pointercancel', up);
    }

    function onItemKey(e, it, view) {
        var step = e.shiftKey ? 0.05 : 0.005;
        var d = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step] }[e.key];
        if (d) {
            e.preventDefault();
            moveBy(it, d[0], d[1], e.altKey);
            place(view, it);
            showPlace();
        } else if (e.key === 'Delete' || e.key === 'Backspace') {
            e.preventDefault();
            deleteChosen();
        } else if (e.key === 'Enter') {
            e.preventDefault();
            (it.getAttribute('name') === 'Link' ? $('pe-href') : $('pe-title')).focus();
        }
    }

    // ---------------------------------------------------------------- the panel

    function showPlace() {
        if (!chosen) return;
        ['x', 'y', 'width', 'height'].forEach(function (a) { $('pe-' + a).value = chosen.getAttribute(a); });
    }

    function showPanel() {
        var form = $('pe-form');
        form.hidden = !chosen;
        $('pe-hint').hidden = !!chosen;
        if (!chosen) {
            $('pe-panel-title').textContent = current < 0 ? 'No page' : 'Page ' + (current + 1);
            return;
        }
        var kind = chosen.getAttribute('name');
        $('pe-panel-title').textContent = KINDS[kind];
        var pageLink = isPageLink(chosen);
        $('pe-href').value = pageLink ? chosen.getAttribute('pageIndex') || '' : chosen.getAttribute('href') || '';
        $('pe-href').readOnly = kind !== 'Link';
        $('pe-href').inputMode = pageLink ? 'numeric' : 'text';
        $('pe-href').setCustomValidity('');
        $('pe-href-label').firstChild.textContent = pageLink ? 'Target page ' : kind === 'Link' ? 'Web address ' : 'File ';
        $('pe-title').value = chosen.getAttribute('title') || '';
        var media = kind === 'Video' || kind === 'Audio';
        Array.prototype.forEach.call(document.querySelectorAll('.pe-media'), function (l) { l.hidden = !media; });
        $('pe-autoplay').checked = chosen.getAttribute('autoplay') === 'Yes';
        $('pe-loop').checked = chosen.getAttribute('loop') === 'Yes';
        showPlace();
    }

    function bindPanel() {
        $('pe-href').addEventListener('input', function () {
            if (!chosen || chosen.getAttribute('name') !== 'Link') return;
            if (isPageLink(chosen)) {
                // A page of this book: a whole number from 1 to the page count.
                var n = Number(this.value.trim());
                var ok = this.value.trim() !== '' && Number.isInteger(n) && n >= 1 && n <= pages.length;
                this.setCustomValidity(ok ? '' : 'A page number from 1 to ' + pages.length);
                if (!ok) return;
                chosen.setAttribute('pageIndex', String(n));
            } else {
                chosen.setAttribute('href', this.value.trim());
            }
            var label = document.querySelector('.pe-item.pe-chosen .pe-label');
            if (label && !chosen.getAttribute('title')) label.textContent = caption(chosen);
        });
        $('pe-title').addEventListener('input', function () {
            if (!chosen) return;
            if (this.value) chosen.setAttribute('title', this.value);
            else chosen.removeAttribute('title');
            var label = document.querySelector('.pe-item.pe-chosen .pe-label');
            if (label) label.textContent = this.value || caption(chosen);
        });
        ['autoplay', 'loop'].forEach(function (a) {
            $('pe-' + a).addEventListener('change', function () {
                if (chosen) chosen.setAttribute(a, this.checked ? 'Yes' : 'No');
            });
        });
        ['x', 'y', 'width', 'height'].forEach(function (a) {
            $('pe-' + a).addEventListener('change', function () {
                var v = parseFloat(this.value);
                if (!chosen || !isFinite(v)) return showPlace();
                chosen.setAttribute(a, round(clamp(v, a === 'x' || a === 'y' ? 0 : 0.01, 1)));
                moveBy(chosen, 0, 0, false);
                drawItems();
            });
        });
        $('pe-delete').addEventListener('click', deleteChosen);
        $('pe-form').addEventListener('submit', function (e) { e.preventDefault(); });
    }

    // ---------------------------------------------------------------- adding and deleting

    function addItem(kind, href) {
        var it = doc.createElement('Item');
        var off = (cascade++ % 6) * 0.04;
        var attrs = [['name', kind], ['type', 'rect'], ['x', round(0.1 + off)], ['y', round(0.1 + off)],
            ['width', kind === 'Audio' ? '0.08' : '0.3'], ['height', kind === 'Audio' ? '0.06' : '0.2'], ['href', href]];
        if (kind === 'Link') attrs.push(['action', 'web']);
        if (kind === 'Video' || kind === 'Audio') attrs.push(['autoplay', 'No'], ['loop', 'No']);
        attrs.forEach(function (a) { it.setAttribute(a[0], a[1]); });
        if (kind === 'Image') it.__fresh = true;
        if (kind !== 'Link') seenFiles[href] = true;
        pages[current].appendChild(it);
        chosen = it;
        drawItems();
        showPanel();
        var view = document.querySelector('.pe-item.pe-chosen');
        if (view) view.focus();
    }

    function pick(method, kind) {
        var b = bridge();
        if (!b) return status('The page editor runs only inside Leafcraft.', true);
        b[method](function (result) {
            if (!result) return status('Nothing was placed: no file was chosen, or it could not be copied.', true);
            String(result).split('|').forEach(function (href) { if (href) addItem(kind, href); });
            status(KINDS[kind] + ' placed on page ' + (current + 1) + '.');
        });
    }

    function deleteChosen() {
        if (!chosen) return;
        chosen.parentNode.removeChild(chosen);
        chosen = null;
        drawItems();
        showPanel();
        status('Item deleted. Its file goes when you save.');
    }

    // Deletes the editor files in `names` that the page list no longer names.
    function dropFiles(names, keep) {
        var b = bridge();
        Object.keys(names).forEach(function (f) { if (!keep[f] && b) b.OnDeleteFile(f); });
    }

    function save(andExit) {
        var b = bridge();
        if (!b) return status('The page editor runs only inside Leafcraft.', true);
        var files = editorFiles();
        b[andExit ? 'SaveAndExit' : 'Save'](function (problem) {
            if (problem) return status('Not saved: ' + problem, true);
            dropFiles(seenFiles, files);
            savedText = pageListText();
            savedFiles = files;
            seenFiles = Object.assign({}, files);
            status('Saved.');
        });
    }

    function exit() {
        var b = bridge();
        if (!b) return;
        dropFiles(seenFiles, savedFiles);
        b.Exit();
    }

    function pageListText() { return doc ? new XMLSerializer().serializeToString(doc) : ''; }

    // Escape and the window's close button leave as "Exit without saving" does, after asking
    // when something was changed since the last save.
    window.RequestExit = function () {
        if (pageListText() !== savedText && !window.confirm('Leave the page editor without saving your changes?')) return;
        exit();
    };

    var COMMANDS = {
        picture: function () { pick('SelectImageFile', 'Image'); },
        pictures: function () { pick('OnSelectImageFiles', 'Image'); },
        movie: function () { pick('OnSelectMovieFile', 'Video'); },
        sound: function () { pick('OnSelectMusicFile', 'Audio'); },
        swf: function () { pick('OnSelectSWFFile', 'Swf'); },
        link: function () { addItem('Link', 'https://'); $('pe-href').focus(); },
        save: function () { save(false); },
        saveAndExit: function () { save(true); },
        exit: exit,
        help: function () { if (bridge()) bridge().OpenHelp(); }
    };

    // ---------------------------------------------------------------- start

    function start(text) {
        var parsed = new DOMParser().parseFromString(text, 'application/xml');
        if (parsed.getElementsByTagName('parsererror').length || parsed.documentElement.tagName !== 'Pages')
            return status('The page list cannot be read.', true);
        doc = parsed;
        pages = Array.prototype.filter.call(doc.documentElement.children, function (c) { return c.tagName === 'Page'; });
        savedFiles = editorFiles();
        seenFiles = Object.assign({}, savedFiles);
        savedText = pageListText();
        buildStrip();
        if (pages.length) showPage(0);
        status(pages.length + (pages.length === 1 ? ' page.' : ' pages.'));
    }

    document.addEventListener('DOMContentLoaded', function () {
        Array.prototype.forEach.call(document.querySelectorAll('[data-command]'), function (b) {
            b.addEventListener('click', function () {
                if (doc || !/^(picture|pictures|movie|sound|swf|link)$/.test(b.dataset.command)) COMMANDS[b.dataset.command]();
            });
        });
        bindPanel();
        window.addEventListener('resize', fitPage);
        document.addEventListener('keydown', function (e) {
            if (e.key !== 'Escape' || e.defaultPrevented) return;
            e.preventDefault();
            window.RequestExit();
        });
        var request = new XMLHttpRequest();
        request.open('GET', 'pages.xml');
        request.onload = function () {
            if (request.status === 0 || request.status === 200) start(request.responseText);
            else status('The page list cannot be read.', true);
        };
        request.onerror = function () { status('The page list cannot be read.', true); };
        request.send();
    });
}());
