// The frame both phone players share: the tool bar (with an overflow menu for what does not fit),
// the sheets (pages, contents, search, share) that sit above the tool bar and close after a
// choice, links on the pages and highlighted search words. touch.js adds the gestures.
import { h, icon, root } from '../../player/src/dom.js';
import { safeUrl } from '../../player/src/config.js';
import { loadPageWords, markedWords, nameLinks, normalise, snippet } from '../../player/src/searchtext.js';
import { drawPlacedItems } from '../../player/src/placed.js';
import { addTextLayer } from '../../player/src/textlayer.js';
import { text } from './strings.js';
import css from './phone.css';

function $(id) { return document.getElementById(id); }

export function button(id, label, iconName, action) {
    var b = h('button', { type: 'button', id: id, 'aria-label': label, title: label }, [icon(iconName)]);
    b.addEventListener('click', function (e) { e.preventDefault(); action(); });
    return b;
}

// Light text on a dark base colour, dark text on a light one.
function textOn(hex) {
    var m = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(hex || '');
    if (!m) return '#fff';
    var l = 0.299 * parseInt(m[1], 16) + 0.587 * parseInt(m[2], 16) + 0.114 * parseInt(m[3], 16);
    return l > 160 ? '#111' : '#fff';
}

// The page box for a page of `ratio` (width / height) in a w x h area less `margin` around it.
export function fitBox(w, h, ratio, margin) {
    var aw = Math.max(40, w - 2 * margin), ah = Math.max(40, h - 2 * margin);
    var bw = Math.min(aw, ah * ratio), bh = bw / ratio;
    return { width: Math.round(bw), height: Math.round(bh), left: Math.round((w - bw) / 2), top: Math.round((h - bh) / 2) };
}

export function pageRatio(cfg, n) {
    var p = cfg.pages[n - 1] || {};
    if (p.width > 0 && p.height > 0) return p.width / p.height;
    if (cfg.pageWidth > 0 && cfg.pageHeight > 0) return cfg.pageWidth / cfg.pageHeight;
    return 0.75;
}

// `player`: the PhoneBook, with turnSide(side) ('left'/'right': screen sides) and an optional
// onDrag(dx) / onDragEnd() for a stage that follows the finger.
export function PhoneFrame(player) {
    this.player = player;
    this.query = '';
    var style = document.createElement('style');
    style.textContent = css;
    document.head.appendChild(style);
}

PhoneFrame.prototype.build = function () {
    var self = this, p = this.player, cfg = p.cfg, s = cfg.phone || {};
    var body = document.body;
    body.classList.toggle('rtl', !!cfg.rtl);
    if (cfg.baseColor) {
        body.style.setProperty('--base', cfg.baseColor);
        body.style.setProperty('--on-base', textOn(cfg.baseColor));
    }
    var title = $('title');
    if (title && (!title.textContent.trim() || /^\$\{/.test(title.textContent))) title.textContent = s.bookTitle || cfg.title || '';
    if (title && title.textContent) document.title = title.textContent;
    var logoSrc = s.appLogoIcon || (cfg.logo && cfg.logo.show && cfg.logo.src);
    if (logoSrc && $('logo')) {
        var logo = $('logo'), img = $('logoImg');
        img.onerror = function () { logo.hidden = true; };
        img.src = logoSrc;
        img.alt = document.title || 'Logo';
        logo.hidden = false;
        var link = safeUrl(s.appLogoLinkURL || (cfg.logo && cfg.logo.link));
        if (link) { logo.href = link; logo.target = '_blank'; logo.rel = 'noopener'; }
    }

    var next = function () { p.setAutoPlay(false); p.turnSide('right'); };
    var prev = function () { p.setAutoPlay(false); p.turnSide('left'); };
    this.counter = h('span', { id: 'counter', 'aria-live': 'polite' });
    var bar = h('nav', { id: 'toolbar', dir: 'ltr' }, [
        button('btnLeft', text(cfg.rtl ? 'next' : 'prev'), 'prev', prev),
        this.counter,
        button('btnRight', text(cfg.rtl ? 'prev' : 'next'), 'next', next),
        this.shows('Thumbnail') ? button('btnThumbs', text('thumbnails'), 'Thumbnail', function () { self.toggle('thumbnails'); }) : null,
        cfg.outline.length ? button('btnContents', text('contents'), 'Bookmark', function () { self.toggle('contents'); }) : null,
        button('btnSearch', text('search'), 'Search', function () { self.toggle('search'); }),
        button('btnMore', text('more'), 'more', function () { self.toggle('more'); })
    ]);
    this.sheet = h('section', { id: 'sheet', className: 'sheet', hidden: true, role: 'dialog' });
    body.appendChild(this.sheet);
    body.appendChild(bar);
    this.bindStage();
    document.addEventListener('keydown', function (e) {
        if (e.target.closest && e.target.closest('input')) return;
        if (e.key === 'Escape') { self.close(); self.closeZoom(); }
        else if (e.key === 'ArrowLeft') prev();
        else if (e.key === 'ArrowRight') next();
        else if (e.key === 'Home') p.goToPage(1);
        else if (e.key === 'End') p.goToPage(cfg.pages.length);
    });
    (p.handlers.pagechange = p.handlers.pagechange || []).push(function () { self.update(); });
    this.update();
};

// Whether the book shows a tool: the book's hidden buttons, and the phone settings'
// ThumbnailsButtonVisible / ShareButtonVisible / ZoomButtonVisible.
PhoneFrame.prototype.shows = function (tool) {
    var cfg = this.player.cfg, s = cfg.phone || {};
    var phone = { Thumbnail: s.ThumbnailsButtonVisible, Share: s.ShareButtonVisible, Zoom: s.ZoomButtonVisible }[tool];
    return !(cfg.hidden && cfg.hidden[tool]) && phone !== 'Hide';
};

PhoneFrame.prototype.update = function () {
    var p = this.player;
    this.counter.textContent = p.current + ' / ' + p.cfg.pages.length;
    document.body.dataset.page = String(p.current);
    if (this.kind === 'thumbnails') this.markThumbnail();
};

// -- sheets ----------------------------------------------------------------------------------

PhoneFrame.prototype.isOpen = function () { return !this.sheet.hidden; };

// Closing the search takes its marks off the pages; choosing one of its hits keeps them.
PhoneFrame.prototype.close = function (keepMarks) {
    if (this.kind === 'search' && this.query && !keepMarks) {
        this.query = '';
        this.player.redraw();
    }
    this.sheet.hidden = true;
    this.kind = null;
    var pressed = document.querySelectorAll('#toolbar [aria-pressed="true"]');
    for (var i = 0; i < pressed.length; i++) pressed[i].setAttribute('aria-pressed', 'false');
};

PhoneFrame.prototype.toggle = function (kind) {
    if (this.kind === kind) return this.close();
    this.close();
    var self = this, titles = { thumbnails: 'thumbnails', contents: 'contents', search: 'search', more: 'more', share: 'share' };
    this.kind = kind;
    this.sheet.textContent = '';
    this.sheet.setAttribute('aria-label', text(titles[kind]));
    this.sheet.appendChild(h('div', { className: 'sheet-head' }, [
        h('h2', { text: text(titles[kind]) }),
        button('btnClose', text('close'), 'close', function () { self.close(); })
    ]));
    this.body = h('div', { className: 'sheet-body' });
    this.sheet.appendChild(this.body);
    this.sheet.hidden = false;
    var id = { thumbnails: 'btnThumbs', contents: 'btnContents', search: 'btnSearch', more: 'btnMore' }[kind];
    if (id && $(id)) $(id).setAttribute('aria-pressed', 'true');
    ({ thumbnails: this.fillThumbnails, contents: this.fillContents, search: this.fillSearch, more: this.fillMenu,
        share: this.fillShare }[kind]).call(this);
};

// Runs a choice made in a sheet: the sheet closes first.
PhoneFrame.prototype.choose = function (fn) {
    var self = this;
    return function (e) { if (e) e.preventDefault(); self.close(true); fn(); };
};

PhoneFrame.prototype.fillThumbnails = function () {
    var self = this, p = this.player;
    var grid = h('div', { className: 'thumbs', dir: p.cfg.rtl ? 'rtl' : 'ltr' });
    var seen = 'IntersectionObserver' in root ? new IntersectionObserver(function (entries) {
        entries.forEach(function (en) {
            if (!en.isIntersecting) return;
            en.target.src = en.target.getAttribute('data-src');
            seen.unobserve(en.target);
        });
    }, { root: this.body, rootMargin: '200px' }) : null;
    p.cfg.pages.forEach(function (page, i) {
        var img = h('img', { alt: '', draggable: 'false', 'data-src': page.thumb || '' });
        img.style.aspectRatio = String(pageRatio(p.cfg, i + 1));
        if (seen) seen.observe(img); else img.src = page.thumb || '';
        grid.appendChild(h('button', { type: 'button', 'data-page': String(i + 1), 'aria-label': text('page', i + 1),
            onclick: self.choose(function () { p.setAutoPlay(false); p.goToPage(i + 1); }) },
        [img, h('span', { text: String(i + 1) })]));
    });
    this.body.appendChild(grid);
    this.markThumbnail(true);
};

PhoneFrame.prototype.markThumbnail = function (scroll) {
    var current = this.body && this.body.querySelector('.thumbs [data-page="' + this.player.current + '"]');
    var old = this.body && this.body.querySelector('.thumbs .current');
    if (old) old.classList.remove('current');
    if (!current) return;
    current.classList.add('current');
    if (scroll) current.scrollIntoView({ block: 'center' });
};

PhoneFrame.prototype.fillContents = function () {
    var self = this, p = this.player;
    function list(items) {
        var ul = h('ul', { className: 'contents' });
        items.forEach(function (item) {
            var inBook = item.page > 0 && item.page <= p.cfg.pages.length;
            var b = h('button', { type: 'button', 'data-page': String(item.page), disabled: !inBook,
                title: inBook ? text('goToPage', item.page) : text('notInBook') }, [
                h('span', { text: item.caption, dir: 'auto' }), inBook ? h('span', { className: 'pg', text: String(item.page) }) : null]);
            if (inBook) b.addEventListener('click', self.choose(function () { p.goToPage(item.page); }));
            ul.appendChild(h('li', null, [b, item.children.length ? list(item.children) : null]));
        });
        return ul;
    }
    this.body.appendChild(p.cfg.outline.length ? list(p.cfg.outline) : h('p', { text: text('noContents') }));
};

PhoneFrame.prototype.fillSearch = function () {
    var self = this, p = this.player;
    var input = h('input', { type: 'search', id: 'searchInput', placeholder: text('findInBook'), 'aria-label': text('findInBook'),
        value: this.query });
    var status = h('p', { className: 'status', 'aria-live': 'polite' });
    var results = h('ol', { className: 'results' });
    var form = h('form', { className: 'search' }, [input]);
    form.addEventListener('submit', function (e) {
        e.preventDefault();
        var q = input.value;
        self.query = normalise(q);
        results.textContent = '';
        status.textContent = text('searching');
        p.search(q).then(function (hits) {
            status.textContent = !self.query ? '' : hits.length === 1 ? text('hitOne') : hits.length ? text('hitMany', hits.length)
                : text('noHit', q.trim());
            hits.slice(0, 300).forEach(function (n) {
                results.appendChild(h('li', null, [h('button', { type: 'button', 'data-page': String(n),
                    onclick: self.choose(function () { p.goToPage(n); }) }, [
                    h('span', { className: 'pg', text: text('page', n) }),
                    h('span', { text: snippet(p.searchData.texts[n - 1], q), dir: 'auto' })])]));
            });
            self.player.redraw();
        }, function (err) { status.textContent = err.message; });
    });
    this.body.appendChild(form);
    this.body.appendChild(status);
    this.body.appendChild(results);
    setTimeout(function () { input.focus(); });
};

PhoneFrame.prototype.fillMenu = function () {
    var self = this, p = this.player, n = p.cfg.pages.length;
    var item = function (id, key, iconName, fn) {
        return h('button', { type: 'button', id: id, className: 'menu-item', onclick: self.choose(fn) }, [icon(iconName), h('span', { text: text(key) })]);
    };
    this.body.appendChild(h('div', { className: 'menu' }, [
        item('btnFirst', 'first', 'first', function () { p.goToPage(1); }),
        item('btnLast', 'last', 'last', function () { p.goToPage(n); }),
        this.shows('Zoom') ? item('btnZoom', 'zoom', 'Zoom', function () { self.openZoom(p.current, 2); }) : null,
        item('btnPlay', 'autoPlay', p.autoTimer ? 'AutoPause' : 'AutoPlay', function () { p.setAutoPlay(!p.autoTimer); }),
        this.shows('Share') ? item('btnShare', 'share', 'Share', function () { self.share(); }) : null
    ]));
};

PhoneFrame.prototype.shareUrl = function () {
    return location.href.replace(/#.*$/, '') + '#page=' + this.player.current;
};

// The system's share sheet on a web server; elsewhere a sheet with the address to copy.
PhoneFrame.prototype.share = function () {
    if (navigator.share && /^https?:$/.test(location.protocol)) {
        navigator.share({ title: document.title, url: this.shareUrl() }).catch(function () {});
        return;
    }
    this.toggle('share');
};

PhoneFrame.prototype.fillShare = function () {
    this.body.appendChild(h('label', { for: 'shareUrl', text: text('linkToPage') }));
    this.body.appendChild(h('input', { id: 'shareUrl', readonly: true, value: this.shareUrl() }));
};

// -- page decorations ---------------------------------------------------------------------------

// Fills `layer` (laid exactly over page n's picture) with the page's text layer, its links and,
// while a search is on, marks on the words that match it.
PhoneFrame.prototype.decorate = function (layer, n) {
    var self = this, p = this.player, page = p.cfg.pages[n - 1];
    layer.textContent = '';
    if (!page) return;
    addTextLayer(layer, loadPageWords('../files/search/', n), pageRatio(p.cfg, n));
    var place = function (el, box) {
        el.style.left = (box[0] * 100) + '%';
        el.style.top = (box[1] * 100) + '%';
        el.style.width = (box[2] * 100) + '%';
        el.style.height = (box[3] * 100) + '%';
        layer.appendChild(el);
    };
    page.links.forEach(function (link) {
        var a = link.action === 'page'
            ? h('a', { className: 'link', href: '#page=' + link.page, 'data-goto': String(link.page), title: link.title || text('goToPage', link.page),
                onclick: function (e) { e.preventDefault(); e.stopPropagation(); p.goToPage(link.page); } })
            : h('a', { className: 'link', href: link.href, target: '_blank', rel: 'noopener noreferrer', title: link.title || link.href,
                onclick: function (e) { e.stopPropagation(); } });
        a.draggable = false;
        place(a, [link.x, link.y, link.width, link.height]);
    });
    drawPlacedItems(layer, page.items, '../files/', text);
    // The page's words in reading order for screen readers (else its search text), then the
    // marks of the search on show.
    var q = this.query;
    var texts = function () { return p.loadSearch().then(function (data) { return data.texts; }); };
    var drawing = layer.dataset.drawing = String((Number(layer.dataset.drawing) || 0) + 1);
    var current = function () { return layer.isConnected && layer.dataset.drawing === drawing; };
    loadPageWords('../files/search/', n, texts).then(function (words) {
        if (!current()) return null;
        var said = h('p');
        layer.appendChild(h('div', { className: 'sr-text', role: 'region', 'aria-label': text('pageText', n),
            lang: p.cfg.textLanguage || null }, [said]));
        nameLinks(layer.querySelectorAll('a.link'), words);
        if (words) said.textContent = words.map(function (w) { return String(w[4] || ''); }).join(' ');
        else texts().then(function (t) { said.textContent = String(t[n - 1] || '').trim() || text('noText'); },
            function () { said.textContent = text('noText'); });
        return words;
    }).then(function (words) {
        if (!q || !words || self.query !== q || !current()) return;
        var marked = markedWords(words.map(function (w) { return String(w[4] || ''); }), q);
        words.forEach(function (w, i) { if (marked[i]) place(h('span', { className: 'hit' }), w); });
    });
};
