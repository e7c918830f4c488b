// Page view: the geometry of the book on the stage, the pages shown together, their pictures and
// links, and moving to another page.
import { Player } from './player.js';
import { h, root } from './dom.js';

// -- geometry ----------------------------------------------------------------------------

Player.prototype.layout = function () {
    var cfg = this.cfg;
    var aspect = cfg.pageWidth > 0 && cfg.pageHeight > 0 ? cfg.pageWidth / cfg.pageHeight : 0;
    if (!aspect) {
        var img = this.images.get(this.current);
        aspect = img && img.naturalWidth ? img.naturalWidth / img.naturalHeight : 0.75;
    }
    this.aspect = aspect;
    if (!this.unitHeight) {
        var sized = cfg.pages.find(function (p) { return p.height > 0; });
        this.unitHeight = sized ? sized.height : 1;
    }
    var w = this.stage.clientWidth - 32, hgt = this.stage.clientHeight - 32;
    this.availW = w;
    this.availH = hgt;
    this.mode = this.layoutMode(w, hgt);
    var cols = this.mode === 'spread' ? 2 : 1;
    this.bookEl.classList.toggle('lc-single', cols === 1);
    this.bookEl.classList.toggle('lc-spread', cols === 2);
    this.fitView(this.viewOf(this.current));
    this.layoutPanorama();
};

// One page at a time ('single') or two side by side ('spread') on a stage of w x h pixels.
Player.prototype.layoutMode = function (w, hgt) {
    return w < 600 || w < hgt || this.cfg.pages.length === 1 ? 'single' : 'spread';
};

// Page n's own size: from the page list when it gives one (only the ratio and the sizes relative
// to other pages count), else the book's page shape.
Player.prototype.pageSize = function (n) {
    var p = this.cfg.pages[n - 1];
    if (p && p.width > 0) return { w: p.width, h: p.height };
    return { w: this.aspect * this.unitHeight, h: this.unitHeight };
};

// Sizes the book for view v: both slots as wide as the wider page and as high as the higher one,
// at the largest scale that fits the stage. Each page is then drawn in its own shape inside its
// slot (placePage), against the spine and centred in height.
Player.prototype.fitView = function (v) {
    var cfg = this.cfg, self = this;
    var cols = this.mode === 'spread' ? 2 : 1;
    var sizes = v.pages.map(function (n) { return self.pageSize(n); });
    var unitW = Math.max.apply(null, sizes.map(function (z) { return z.w; }));
    var unitH = Math.max.apply(null, sizes.map(function (z) { return z.h; }));
    var scale = Math.min(this.availH / unitH, this.availW / (cols * unitW));
    if (!cfg.autoScale && cfg.normalHeight > 0) scale = Math.min(scale, cfg.normalHeight / unitH);
    scale = Math.max(scale, 50 / unitH);
    this.unitW = unitW;
    this.unitH = unitH;
    this.pageW = unitW * scale;
    this.pageH = unitH * scale;
    var s = this.bookEl.style;
    s.width = Math.round(this.pageW * cols) + 'px';
    s.height = Math.round(this.pageH) + 'px';
    this.bookEl.classList.toggle('lc-mixed', sizes.some(function (z) {
        return Math.abs(z.w / unitW - 1) > 0.005 || Math.abs(z.h / unitH - 1) > 0.005;
    }));
};

// Places a page element in its slot: side is 'left', 'right' or 'centre' (one page at a time).
Player.prototype.placePage = function (el, n, side) {
    var z = this.pageSize(n);
    var wp = z.w / this.unitW * 100, hp = z.h / this.unitH * 100;
    if (wp > 99.5 && hp > 99.5) return;
    var s = el.style;
    s.width = wp + '%';
    s.height = hp + '%';
    s.top = (100 - hp) / 2 + '%';
    s.left = (side === 'left' ? 100 - wp : side === 'right' ? 0 : (100 - wp) / 2) + '%';
    s.right = s.bottom = 'auto';
};

// The side a page of view v is drawn on.
Player.prototype.sideOf = function (v, n) {
    return this.mode === 'single' ? 'centre' : n === v.left ? 'left' : 'right';
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

// Page hooks: functions (player, pageElement, page, n) called for every page drawn in a slot, for
// what other modules draw on pages (the page editor's placed items).
export const pageLayers = [];

// The element that shows page n; withLinks: a live page in a slot (links, text, page layers),
// otherwise a picture on a turning leaf.
Player.prototype.pageView = function (n, withLinks, side) {
    var self = this, page = this.cfg.pages[n - 1];
    var el = h('div', { className: 'lc-page', 'data-page': String(n) });
    if (side) this.placePage(el, n, side);
    var img = h('img', { className: 'lc-page-img', alt: withLinks ? this.t('page', n) : '', draggable: 'false' });
    img.src = page.normal || '';
    img.addEventListener('error', function () { el.classList.add('lc-page-missing'); });
    el.appendChild(img);
    this.showRaster(el, n);
    if (withLinks) {
        page.links.forEach(function (link) {
            var a;
            if (link.action === 'page') {
                a = h('a', { className: 'lc-link lc-link-page', href: '#page=' + link.page,
                    'data-lc-goto': String(link.page), title: link.title || self.t('goToPage', link.page) });
                a.addEventListener('click', function (e) {
                    e.preventDefault();
                    e.stopPropagation();
                    self.goToPage(link.page);
                });
            } else {
                a = h('a', { className: 'lc-link lc-link-web', href: link.href, target: '_blank',
                    rel: 'noopener noreferrer', title: link.title || link.href });
                a.addEventListener('click', function (e) { e.stopPropagation(); });
            }
            a.draggable = false; // a drag that starts on a link turns the page (input.js)
            a.style.left = (link.x * 100) + '%';
            a.style.top = (link.y * 100) + '%';
            a.style.width = (link.width * 100) + '%';
            a.style.height = (link.height * 100) + '%';
            el.appendChild(a);
        });
        this.addPageText(el, n);
        pageLayers.forEach(function (layer) { layer(self, el, page, n); });
    }
    return el;
};

Player.prototype.fillSlot = function (slot, n, v) {
    slot.textContent = '';
    slot.classList.toggle('lc-empty', !n);
    if (n) slot.appendChild(this.pageView(n, true, this.sideOf(v || this.viewOf(this.current), n)));
};

Player.prototype.render = function () {
    this.finishFlip();
    var v = this.viewOf(this.current);
    this.fitView(v);
    this.fillSlot(this.slotLeft, v.left);
    this.fillSlot(this.slotRight, v.right);
    this.slotLeft.hidden = this.mode === 'single';
    this.afterMove(true);
};

// instant: the book takes its place without sliding (opening, a new layout).
Player.prototype.afterMove = function (instant) {
    this.centreBook(instant);
    this.updateIndicator();
    this.updateEdges();
    this.preload();
    this.markThumbnail();
    if (this.zoomEl) this.renderZoom();
};

Player.prototype.updateIndicator = function () {
    var pages = this.visiblePages();
    this.pageInput.value = pages.length > 1 ? pages[0] + '-' + pages[1] : String(pages[0] || this.current);
    // Wide enough for the longest spread ("1000-1001").
    this.pageInput.style.width = Math.max(4, this.pageInput.value.length + 1) + 'ch';
    if (this.statusEl) {
        this.statusEl.textContent = pages.map(function (n) { return this.t('page', n); }, this).join(', ') +
            ' ' + this.t('ofPages', this.cfg.pages.length);
    }
    var count = this.cfg.pages.length, v = this.viewOf(this.current);
    var atStart = v.pages.indexOf(1) >= 0, atEnd = v.pages.indexOf(count) >= 0;
    var q = function (k) { return this.toolbar.querySelector('[data-lc-button="' + k + '"]'); }.bind(this);
    q('first').disabled = q('prev').disabled = atStart;
    q('last').disabled = q('next').disabled = atEnd;
};

// A closed book (the cover, or the back page alone) sits in the middle of the stage.
Player.prototype.centreBook = function (instant) {
    var v = this.viewOf(this.current), shift = 0;
    if (this.mode === 'spread' && !(v.left && v.right)) shift = (v.left ? 1 : -1) * this.pageW / 2;
    var s = this.bookEl.style;
    if (instant) s.transition = 'none';
    s.transform = shift ? 'translateX(' + Math.round(shift) + 'px)' : '';
    if (instant) {
        this.bookEl.getBoundingClientRect();
        s.transition = '';
    }
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
    if (lw) this.placeEdge(this.edgeLeft, v.left, 'left');
    if (rw) this.placeEdge(this.edgeRight, v.right, 'right');
};

// Lays an edge along the outer side of page n, whatever its size in a slot sized for the
// largest page of the view.
Player.prototype.placeEdge = function (edge, n, side) {
    var z = this.pageSize(n);
    var wp = Math.min(1, z.w / this.unitW), hp = Math.min(1, z.h / this.unitH);
    var gap = Math.round(this.pageW * (this.mode === 'single' ? (1 - wp) / 2 : 1 - wp)); // slot side to page side
    var s = edge.style;
    s.top = Math.round(this.pageH * (1 - hp) / 2 + 2) + 'px';
    s.bottom = Math.round(this.pageH * (1 - hp) / 2 - 2) + 'px';
    s[side === 'left' ? 'right' : 'left'] = 'calc(100% - ' + gap + 'px)';
};

// Keeps the pictures of the views around the current one loaded and drops far ones, so a
// book of any length costs the same to open and to read.
Player.prototype.preload = function () {
    var self = this, count = this.cfg.pages.length;
    var step = this.mode === 'spread' ? 2 : 1;
    var v = this.viewOf(this.current);
    var lo = Math.max(1, Math.min.apply(null, v.pages) - step);
    var hi = Math.min(count, Math.max.apply(null, v.pages) + 2 * step);
    var ahead = [];
    // A drawing is read on the page's own thread, in one long task: until the first pages are
    // painted, only they are, and while a leaf turns none is (turn.js preloads again after it).
    var waiting = this.readyTime === undefined;
    if (waiting && !this.preloadAfterReady) {
        this.preloadAfterReady = true;
        this.ready.then(function () { self.preload(); }, function () {});
    }
    for (var n = lo; n <= hi; n++) {
        var later = waiting || (this.turning && !this.images.has(n));
        if (later && v.pages.indexOf(n) < 0 && isDrawing(this.cfg.pages[n - 1].normal)) continue;
        this.image(n);
        ahead.push(n);
    }
    // The pages a turn forward shows come first, then those backward; the open ones are painted.
    var first = Math.min.apply(null, v.pages), last = Math.max.apply(null, v.pages);
    var order = function (n) { return n > last ? n - last : n < first ? first - n + 0.5 : count; };
    if (!this.turning) ahead.sort(function (a, b) { return order(a) - order(b); }).forEach(function (n) { self.rasterize(n); });
    this.images.forEach(function (img, n) {
        if (n < lo - 6 || n > hi + 6) {
            self.images.delete(n);
            self.rasters.delete(n);
        }
    });
};

// -- drawn pages -------------------------------------------------------------------------

// A drawn page (SVG) costs a browser many times a picture's work each time it is painted
// afresh, as it is on a turning leaf and in a slot after a turn. So each drawn page near the
// open ones is painted once, while the reader reads, into a bitmap of the size it is shown at
// in device pixels (as sharp as the drawing there), and pages show that bitmap over their
// drawing, which is then not painted. The zoom view and print show the drawing itself.
export function isDrawing(url) {
    return /\.svg([?#]|$)/i.test(url || '');
}

Player.prototype.rasterKey = function (n) {
    var z = this.pageSize(n), ratio = root.devicePixelRatio || 1;
    return Math.round(this.pageW * z.w / this.unitW * ratio) + 'x' + Math.round(this.pageH * z.h / this.unitH * ratio);
};

Player.prototype.rasterize = function (n) {
    var self = this;
    this.rasters = this.rasters || new Map();
    if (!isDrawing(this.cfg.pages[n - 1].normal) || !this.pageW) return;
    var key = this.rasterKey(n), known = this.rasters.get(n);
    if (known && known.key === key) return;
    var entry = { key: key, canvas: null };
    this.rasters.set(n, entry);
    var img = this.image(n);
    var idle = root.requestIdleCallback || function (f) { return setTimeout(f, 30); };
    // After the first pages are painted: they come first.
    Promise.all([img.decode(), this.ready]).then(function () {
        idle(function () {
            if (self.rasters.get(n) !== entry) return;
            var size = key.split('x').map(Number);
            var canvas = document.createElement('canvas');
            canvas.width = size[0];
            canvas.height = size[1];
            var g = canvas.getContext('2d');
            g.fillStyle = '#fff';
            g.fillRect(0, 0, size[0], size[1]);
            g.drawImage(img, 0, 0, size[0], size[1]);
            entry.canvas = canvas;
        });
    }, function () {});
};

Player.prototype.showRaster = function (el, n) {
    var entry = this.rasters && this.rasters.get(n);
    if (!entry || !entry.canvas || entry.key !== this.rasterKey(n)) return;
    var canvas = h('canvas', { className: 'lc-page-raster', 'aria-hidden': 'true' });
    canvas.width = entry.canvas.width;
    canvas.height = entry.canvas.height;
    canvas.getContext('2d').drawImage(entry.canvas, 0, 0);
    el.insertBefore(canvas, el.firstChild.nextSibling);
    el.classList.add('lc-rastered');
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
