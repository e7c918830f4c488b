// The frame both phone players share: the tool bar (with an overflow menu for what does not fit),
// the sheets (pages, contents, search, share) that sit above the tool bar and close after a
// choice, links on the pages, highlighted search words, the touch gestures of the stage and the
// zoom view that shows a page's large picture under the fingers.
import { h, icon, root } from '../../player/src/dom.js';
import { safeUrl } from '../../player/src/config.js';
import { loadPageWords, normalise, snippet } from '../../player/src/searchtext.js';
import { text } from './strings.js';
import css from './phone.css';

function $(id) { return document.getElementById(id); }

function button(id, label, iconName, action) {
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
        button('btnThumbs', text('thumbnails'), 'Thumbnail', function () { self.toggle('thumbnails'); }),
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

PhoneFrame.prototype.update = function () {
    var p = this.player;
    this.counter.textContent = p.current + ' / ' + p.cfg.pages.length;
    document.body.dataset.page = String(p.current);
    if (this.kind === 'thumbnails') this.markThumbnail();
};

// -- sheets ----------------------------------------------------------------------------------

PhoneFrame.prototype.isOpen = function () { return !this.sheet.hidden; };

PhoneFrame.prototype.close = function () {
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
    return function (e) { if (e) e.preventDefault(); self.close(); fn(); };
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
        item('btnFirst', 'first', 'first', function () { p.goToPage(p.cfg.rtl ? n : 1); }),
        item('btnLast', 'last', 'last', function () { p.goToPage(p.cfg.rtl ? 1 : n); }),
        item('btnZoom', 'zoom', 'Zoom', function () { self.openZoom(p.current, 2); }),
        item('btnPlay', 'autoPlay', p.autoTimer ? 'AutoPause' : 'AutoPlay', function () { p.setAutoPlay(!p.autoTimer); }),
        item('btnShare', 'share', 'Share', function () { self.share(); })
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

// Fills `layer` (laid exactly over page n's picture) with the page's links and, while a search is
// on, marks on the words that match it.
PhoneFrame.prototype.decorate = function (layer, n) {
    var self = this, p = this.player, page = p.cfg.pages[n - 1];
    layer.textContent = '';
    if (!page) return;
    var place = function (el, box) {
        el.style.left = (box[0] * 100) + '%';
        el.style.top = (box[1] * 100) + '%';
        el.style.width = (box[2] * 100) + '%';
        el.style.height = (box[3] * 100) + '%';
        layer.appendChild(el);
    };
    page.links.forEach(function (link) {
        var a = link.action === 'page'
            ? h('a', { className: 'link', href: '#page=' + link.page, 'data-goto': String(link.page), title: text('goToPage', link.page),
                onclick: function (e) { e.preventDefault(); e.stopPropagation(); p.goToPage(link.page); } })
            : h('a', { className: 'link', href: link.href, target: '_blank', rel: 'noopener noreferrer', title: link.href,
                onclick: function (e) { e.stopPropagation(); } });
        a.addEventListener('pointerdown', function (e) { e.stopPropagation(); });
        place(a, [link.x, link.y, link.width, link.height]);
    });
    var q = this.query;
    if (!q) return;
    loadPageWords('../files/search/', n).then(function (words) {
        if (!words || self.query !== q || !layer.isConnected) return;
        var parts = q.split(' ');
        words.forEach(function (w) {
            var word = normalise(w[4]);
            if (word && parts.some(function (part) { return word.indexOf(part) >= 0 || part.indexOf(word) >= 0; })) {
                place(h('span', { className: 'hit' }), w);
            }
        });
    });
};

// -- gestures -----------------------------------------------------------------------------------

// Swipe to turn, tap the outer thirds to turn, double-tap or pinch to zoom. A touch that closes a
// sheet does nothing else.
PhoneFrame.prototype.bindStage = function () {
    var self = this, p = this.player, stage = $('stage');
    var touches = new Map(), start = null, lastTap = null, tapTimer = 0, pinch = null;
    stage.addEventListener('pointerdown', function (e) {
        if (e.target.closest('#zoom')) return;
        touches.set(e.pointerId, { x: e.clientX, y: e.clientY });
        if (self.isOpen()) { self.close(); start = { consumed: true }; return; }
        if (touches.size === 2) {
            var pts = Array.from(touches.values());
            pinch = { d: Math.hypot(pts[0].x - pts[1].x, pts[0].y - pts[1].y) || 1 };
            start = { consumed: true };
            if (p.onDragEnd) p.onDragEnd(true);
            return;
        }
        if (e.isPrimary) start = { x: e.clientX, y: e.clientY, id: e.pointerId };
    });
    stage.addEventListener('pointermove', function (e) {
        if (!touches.has(e.pointerId)) return;
        touches.set(e.pointerId, { x: e.clientX, y: e.clientY });
        if (pinch && touches.size === 2) {
            var pts = Array.from(touches.values());
            var scale = Math.hypot(pts[0].x - pts[1].x, pts[0].y - pts[1].y) / pinch.d;
            if (scale > 1.15) {
                pinch = null;
                self.openZoom(p.current, Math.min(4, scale * 1.3), (pts[0].x + pts[1].x) / 2, (pts[0].y + pts[1].y) / 2);
            }
        } else if (start && !start.consumed && e.pointerId === start.id && p.onDrag) {
            p.onDrag(e.clientX - start.x);
        }
    });
    var end = function (e, cancelled) {
        touches.delete(e.pointerId);
        if (touches.size === 0) pinch = null;
        if (!start || start.consumed || e.pointerId !== start.id) { if (!touches.size) start = null; return; }
        var dx = e.clientX - start.x, dy = e.clientY - start.y;
        start = null;
        if (cancelled) return p.onDragEnd && p.onDragEnd(true);
        if (Math.abs(dx) >= 30 && Math.abs(dx) > Math.abs(dy)) {
            p.setAutoPlay(false);
            return p.turnSide(dx < 0 ? 'right' : 'left'); // the finger pulls the next page in from that side
        }
        if (p.onDragEnd) p.onDragEnd(true);
        if (Math.abs(dx) >= 10 || Math.abs(dy) >= 10) return;
        var now = Date.now(), x = e.clientX, y = e.clientY;
        if (lastTap && now - lastTap.t < 300 && Math.hypot(x - lastTap.x, y - lastTap.y) < 40) {
            clearTimeout(tapTimer);
            lastTap = null;
            return self.openZoom(p.current, 2.5, x, y);
        }
        lastTap = { t: now, x: x, y: y };
        clearTimeout(tapTimer);
        tapTimer = setTimeout(function () {
            var r = stage.getBoundingClientRect(), f = (x - r.left) / r.width;
            if (f < 0.35 || f > 0.65) { p.setAutoPlay(false); p.turnSide(f < 0.35 ? 'left' : 'right'); }
        }, 300);
    };
    stage.addEventListener('pointerup', function (e) { end(e, false); });
    stage.addEventListener('pointercancel', function (e) { end(e, true); });
};

// -- zoom view ----------------------------------------------------------------------------------

// Shows page n at `scale` times its fitted size, from its large picture, centred on the screen
// point (x, y). One finger pans, two fingers pinch, a double tap or the close button ends it.
PhoneFrame.prototype.openZoom = function (n, scale, x, y) {
    var self = this, p = this.player, page = p.cfg.pages[n - 1], stage = $('stage');
    this.closeZoom();
    var box = fitBox(stage.clientWidth, stage.clientHeight, pageRatio(p.cfg, n), 0);
    var img = h('img', { alt: text('page', n), draggable: 'false', src: page.phone || page.normal });
    var large = new Image();
    large.onload = function () { img.src = large.src; };
    large.src = page.large || page.normal;
    var layer = h('div', { className: 'layer' });
    var sheet = h('div', { className: 'zoom-page' }, [img, layer]);
    var scroller = h('div', { className: 'zoom-scroll' }, [sheet]);
    var view = h('div', { id: 'zoom' }, [scroller,
        button('btnZoomClose', text('close'), 'close', function () { self.closeZoom(); })]);
    stage.appendChild(view);
    this.decorate(layer, n);
    var z = 1;
    var setScale = function (s, cx, cy) {
        var r = scroller.getBoundingClientRect();
        cx = cx === undefined ? r.width / 2 : cx - r.left;
        cy = cy === undefined ? r.height / 2 : cy - r.top;
        var fx = (scroller.scrollLeft + cx) / (box.width * z), fy = (scroller.scrollTop + cy) / (box.height * z);
        z = Math.max(1, Math.min(4, s));
        sheet.style.width = Math.round(box.width * z) + 'px';
        sheet.style.height = Math.round(box.height * z) + 'px';
        scroller.scrollLeft = fx * box.width * z - cx;
        scroller.scrollTop = fy * box.height * z - cy;
        view.dataset.scale = z.toFixed(2);
    };
    sheet.style.width = box.width + 'px';
    sheet.style.height = box.height + 'px';
    setScale(scale, x, y);
    var pts = new Map(), pinch = null, lastTap = 0;
    scroller.addEventListener('pointerdown', function (e) {
        pts.set(e.pointerId, { x: e.clientX, y: e.clientY });
        if (pts.size === 2) {
            var a = Array.from(pts.values());
            pinch = { d: Math.hypot(a[0].x - a[1].x, a[0].y - a[1].y) || 1, z: z };
        } else if (Date.now() - lastTap < 300) {
            self.closeZoom();
        } else {
            lastTap = Date.now();
        }
    });
    scroller.addEventListener('pointermove', function (e) {
        var was = pts.get(e.pointerId);
        if (!was) return;
        pts.set(e.pointerId, { x: e.clientX, y: e.clientY });
        if (pinch && pts.size === 2) {
            var a = Array.from(pts.values());
            setScale(pinch.z * Math.hypot(a[0].x - a[1].x, a[0].y - a[1].y) / pinch.d, (a[0].x + a[1].x) / 2, (a[0].y + a[1].y) / 2);
        } else if (!pinch) {
            scroller.scrollLeft -= e.clientX - was.x;
            scroller.scrollTop -= e.clientY - was.y;
            lastTap = 0;
        }
    });
    var up = function (e) {
        pts.delete(e.pointerId);
        if (pts.size < 2) pinch = null;
    };
    scroller.addEventListener('pointerup', up);
    scroller.addEventListener('pointercancel', up);
    document.body.classList.add('zoomed');
};

PhoneFrame.prototype.closeZoom = function () {
    var view = $('zoom');
    if (view) view.remove();
    document.body.classList.remove('zoomed');
};
