// Page view: the geometry of the book on the stage, the pages shown together, their pictures and
// links, and moving to another page.
import { Player } from './player.js';
import { h } from './dom.js';

// -- geometry ----------------------------------------------------------------------------

Player.prototype.layout = function () {
    var cfg = this.cfg;
    var aspect = cfg.pageWidth > 0 && cfg.pageHeight > 0 ? cfg.pageWidth / cfg.pageHeight : 0;
    if (!aspect) {
        var img = this.images.get(this.current);
        aspect = img && img.naturalWidth ? img.naturalWidth / img.naturalHeight : 0.75;
    }
    this.aspect = aspect;
    var w = this.stage.clientWidth - 32, hgt = this.stage.clientHeight - 32;
    var narrow = w < 600 || w < hgt || cfg.pages.length === 1;
    this.mode = narrow ? 'single' : 'spread';
    var cols = this.mode === 'spread' ? 2 : 1;
    var ph = Math.max(50, Math.min(hgt, w / (cols * aspect)));
    if (!cfg.autoScale && cfg.normalHeight > 0) ph = Math.min(ph, cfg.normalHeight);
    var pw = ph * aspect;
    this.pageW = pw;
    this.pageH = ph;
    var s = this.bookEl.style;
    s.width = Math.round(pw * cols) + 'px';
    s.height = Math.round(ph) + 'px';
    this.bookEl.classList.toggle('lc-single', cols === 1);
    this.bookEl.classList.toggle('lc-spread', cols === 2);
    this.layoutPanorama();
};

// The pages shown together with page n: [visual left, visual right]; 0 is no page.
Player.prototype.viewOf = function (n) {
    var count = this.cfg.pages.length;
    if (this.mode === 'single') return { key: n, left: 0, right: n, pages: [n] };
    var low = n - (n % 2), high = low + 1;
    var a = low >= 1 ? low : 0, b = high <= count ? high : 0;
    var pages = [a, b].filter(Boolean);
    return this.cfg.rtl ? { key: low, left: b, right: a, pages: pages } : { key: low, left: a, right: b, pages: pages };
};

Player.prototype.visiblePages = function () { return this.viewOf(this.current).pages; };

// -- pages -------------------------------------------------------------------------------

Player.prototype.image = function (n) {
    var img = this.images.get(n);
    if (!img) {
        img = new Image();
        img.decoding = 'async';
        img.src = this.cfg.pages[n - 1].normal || '';
        this.images.set(n, img);
    }
    return img;
};

Player.prototype.pageView = function (n, withLinks) {
    var self = this, page = this.cfg.pages[n - 1];
    var el = h('div', { className: 'lc-page', 'data-page': String(n) });
    var img = h('img', { className: 'lc-page-img', alt: 'Page ' + n, draggable: 'false' });
    img.src = page.normal || '';
    img.addEventListener('error', function () { el.classList.add('lc-page-missing'); });
    el.appendChild(img);
    if (withLinks) {
        page.links.forEach(function (link) {
            var a;
            if (link.action === 'page') {
                a = h('a', { className: 'lc-link lc-link-page', href: '#page=' + link.page,
                    'data-lc-goto': String(link.page), title: 'Go to page ' + link.page });
                a.addEventListener('click', function (e) {
                    e.preventDefault();
                    e.stopPropagation();
                    self.goToPage(link.page);
                });
            } else {
                a = h('a', { className: 'lc-link lc-link-web', href: link.href, target: '_blank',
                    rel: 'noopener noreferrer', title: link.href });
                a.addEventListener('click', function (e) { e.stopPropagation(); });
            }
            a.addEventListener('pointerdown', function (e) { e.stopPropagation(); });
            a.style.left = (link.x * 100) + '%';
            a.style.top = (link.y * 100) + '%';
            a.style.width = (link.width * 100) + '%';
            a.style.height = (link.height * 100) + '%';
            el.appendChild(a);
        });
    }
    return el;
};

Player.prototype.fillSlot = function (slot, n) {
    slot.textContent = '';
    slot.classList.toggle('lc-empty', !n);
    if (n) slot.appendChild(this.pageView(n, true));
};

Player.prototype.render = function () {
    this.finishFlip();
    var v = this.viewOf(this.current);
    this.fillSlot(this.slotLeft, v.left);
    this.fillSlot(this.slotRight, v.right);
    this.slotLeft.hidden = this.mode === 'single';
    this.afterMove();
};

Player.prototype.afterMove = function () {
    this.centreBook();
    this.updateIndicator();
    this.updateEdges();
    this.preload();
    this.markThumbnail();
    if (this.zoomEl) this.renderZoom();
};

Player.prototype.updateIndicator = function () {
    var pages = this.visiblePages();
    this.pageInput.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || this.current);
    var count = this.cfg.pages.length, v = this.viewOf(this.current);
    var atStart = v.pages.indexOf(1) >= 0, atEnd = v.pages.indexOf(count) >= 0;
    var q = function (k) { return this.toolbar.querySelector('[data-lc-button="' + k + '"]'); }.bind(this);
    q('first').disabled = q('prev').disabled = atStart;
    q('last').disabled = q('next').disabled = atEnd;
};

// A closed book (the cover, or the back page alone) sits in the middle of the stage.
Player.prototype.centreBook = function () {
    var v = this.viewOf(this.current), shift = 0;
    if (this.mode === 'spread' && !(v.left && v.right)) shift = (v.left ? 1 : -1) * this.pageW / 2;
    this.bookEl.style.transform = shift ? 'translateX(' + Math.round(shift) + 'px)' : '';
};

// Stacked-paper edges whose width follows the pages on each side.
Player.prototype.updateEdges = function () {
    var count = this.cfg.pages.length, v = this.viewOf(this.current);
    var before = Math.max(0, Math.min.apply(null, v.pages) - 1);
    var after = Math.max(0, count - Math.max.apply(null, v.pages));
    var t = this.cfg.thickness;
    var px = function (n) { return Math.min(14, Math.ceil(n * t * 0.15)); };
    var leftN = this.cfg.rtl ? after : before, rightN = this.cfg.rtl ? before : after;
    var lw = this.mode === 'single' || !v.left ? 0 : px(leftN), rw = v.right ? px(rightN) : 0;
    this.edgeLeft.style.width = lw + 'px';
    this.edgeRight.style.width = rw + 'px';
    this.edgeLeft.hidden = !lw;
    this.edgeRight.hidden = !rw;
};

// Keeps the pictures of the views around the current one loaded and drops far ones, so a
// book of any length costs the same to open and to read.
Player.prototype.preload = function () {
    var self = this, count = this.cfg.pages.length;
    var step = this.mode === 'spread' ? 2 : 1;
    var v = this.viewOf(this.current);
    var lo = Math.max(1, Math.min.apply(null, v.pages) - step);
    var hi = Math.min(count, Math.max.apply(null, v.pages) + 2 * step);
    for (var n = lo; n <= hi; n++) this.image(n);
    this.images.forEach(function (img, n) {
        if (n < lo - 6 || n > hi + 6) self.images.delete(n);
    });
};

Player.prototype.whenPainted = function () {
    var self = this;
    var imgs = Array.prototype.slice.call(this.bookEl.querySelectorAll('.lc-slot img'));
    return Promise.all(imgs.map(function (img) {
        if (img.complete) return img.naturalWidth ? img.decode().catch(function () {}) : null;
        return new Promise(function (resolve) {
            img.addEventListener('load', resolve);
            img.addEventListener('error', resolve);
        }).then(function () { return img.naturalWidth ? img.decode().catch(function () {}) : null; });
    })).then(function () {
        if (!self.cfg.pageWidth) { self.layout(); }
        return new Promise(function (resolve) {
            requestAnimationFrame(function () { requestAnimationFrame(resolve); });
        });
    });
};

// -- turning pages -----------------------------------------------------------------------

Player.prototype.clamp = function (n) {
    return Math.max(1, Math.min(this.cfg.pages.length, Math.round(n) || 1));
};

Player.prototype.goToPage = function (n) {
    n = this.clamp(n);
    var from = this.viewOf(this.current), to = this.viewOf(n);
    if (to.key === from.key) {
        this.current = n;
        this.updateIndicator();
        return Promise.resolve(this.current);
    }
    var forward = to.key > from.key;
    this.current = n;
    var done = this.animateTurn(from, to, forward);
    this.emit('pagechange', { page: this.current, pages: to.pages });
    this.playFlipSound();
    return done;
};

Player.prototype.next = function () {
    var v = this.viewOf(this.current);
    var last = Math.max.apply(null, v.pages);
    return this.goToPage(this.mode === 'spread' ? v.key + 2 : last + 1);
};

Player.prototype.prev = function () {
    var v = this.viewOf(this.current);
    if (this.mode === 'single') return this.goToPage(this.current - 1);
    return this.goToPage(Math.max(1, v.key - 1));
};
