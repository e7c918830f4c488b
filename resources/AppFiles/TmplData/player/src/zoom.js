// The zoomed view of the open pages.
import { Player } from './player.js';
import { h, icon } from './dom.js';
import { isDrawing } from './pageview.js';

// -- zoom --------------------------------------------------------------------------------

// The zoomed view shows the large pictures (twice the page's point size) at up to their own
// resolution, so text stays sharp.
Player.prototype.openZoom = function () {
    if (this.zoomEl) return this.zoomBy(1);
    var self = this;
    this.zoomLevel = 1;
    this.zoomEl = h('div', { className: 'lc-zoom', role: 'dialog', 'aria-label': this.t('zoomedPages') });
    this.zoomInner = h('div', { className: 'lc-zoom-inner' });
    var tools = h('div', { className: 'lc-zoom-tools' }, [
        h('button', { type: 'button', className: 'lc-button', 'aria-label': this.t('zoomIn'), title: this.t('zoomIn'),
            onclick: function () { self.zoomBy(1); } }, [icon('Zoom')]),
        h('button', { type: 'button', className: 'lc-button', 'aria-label': this.t('zoomOut'), title: this.t('zoomOut'),
            onclick: function () { self.zoomBy(-1); } }, [icon('zoomOut')]),
        h('button', { type: 'button', className: 'lc-button', 'aria-label': this.t('closeZoom'), title: this.t('closeZoom'),
            onclick: function () { self.closeZoom(); } }, [icon('close')])
    ]);
    this.zoomEl.appendChild(this.zoomInner);
    this.zoomEl.appendChild(tools);
    this.host.appendChild(this.zoomEl);
    // Drag to pan.
    var drag = null;
    this.zoomEl.addEventListener('pointerdown', function (e) {
        if (e.pointerType !== 'mouse' || e.target.closest('button')) return; // touch scrolls natively
        drag = { x: e.clientX, y: e.clientY, l: self.zoomEl.scrollLeft, t: self.zoomEl.scrollTop };
    });
    this.zoomEl.addEventListener('pointermove', function (e) {
        if (!drag) return;
        self.zoomEl.scrollLeft = drag.l - (e.clientX - drag.x);
        self.zoomEl.scrollTop = drag.t - (e.clientY - drag.y);
    });
    this.zoomEl.addEventListener('pointerup', function () { drag = null; });
    this.renderZoom();
};

// A step in only while the pictures have pixels for it: past that the view gets bigger, not
// sharper, so the zoom-in button is disabled there.
Player.prototype.zoomBy = function (d) {
    var level = Math.max(1, Math.min(this.zoomMax || 3, this.zoomLevel + d));
    if (level === this.zoomLevel && d !== 0) return;
    this.zoomLevel = level;
    this.renderZoom();
};

function zoomFactor(level) {
    return 1 + level * 0.75; // 1.75x, 2.5x, 3.25x of the page as shown
}

// The highest level at which a picture of naturalWidth pixels, shown cssWidth pixels wide at
// level 1, still has a pixel for every screen pixel (the first level always shows).
function pixelRatio() {
    return typeof devicePixelRatio === 'number' && devicePixelRatio > 0 ? devicePixelRatio : 1;
}

function levelsFor(naturalWidth, cssWidthAtOne) {
    var ratio = pixelRatio();
    var level = 1;
    while (level < 3 && cssWidthAtOne * zoomFactor(level + 1) / zoomFactor(1) * ratio <= naturalWidth * 1.05) level++;
    return level;
}

Player.prototype.renderZoom = function () {
    var self = this;
    var pages = this.viewOf(this.current);
    var order = [pages.left, pages.right].filter(Boolean);
    this.zoomInner.textContent = '';
    var factor = zoomFactor(this.zoomLevel);
    var zoomEl = this.zoomEl;
    var zoomIn = zoomEl.querySelector('.lc-zoom-tools button');
    var centre = function () {
        zoomEl.scrollLeft = (zoomEl.scrollWidth - zoomEl.clientWidth) / 2;
    };
    var limits = order.map(function () { return 3; });
    var update = function () {
        self.zoomMax = Math.min.apply(null, limits);
        if (zoomIn) zoomIn.disabled = self.zoomLevel >= self.zoomMax;
    };
    order.forEach(function (n, i) {
        var img = h('img', { className: 'lc-zoom-img', alt: self.t('page', n), draggable: 'false' });
        var z = self.pageSize(n);
        var atOne = self.pageW * (z.w / self.unitW) * zoomFactor(1);
        img.style.width = Math.round(atOne / zoomFactor(1) * factor) + 'px';
        img.style.aspectRatio = String(z.w / z.h);
        var src = self.cfg.pages[n - 1].large || '';
        img.addEventListener('load', function () {
            if (isDrawing(src)) return centre(); // drawn afresh at every size: no level runs out of pixels
            // Never past the picture's own pixels, except that the first step always enlarges
            // the page by half.
            var most = Math.max(img.naturalWidth / pixelRatio(), 1.5 * atOne / zoomFactor(1));
            img.style.width = Math.round(Math.min(atOne / zoomFactor(1) * factor, most)) + 'px';
            limits[i] = levelsFor(img.naturalWidth, atOne);
            update();
            centre();
        });
        img.src = src;
        var framed = h('div', { className: 'lc-zoom-page' }, [self.zoomSheet(img, n)]);
        self.zoomInner.appendChild(framed);
        self.addZoomText(framed, n);
    });
    update();
    centre();
};

// The zoomed picture of page n in a sheet that other modules draw on (placedlayer.js).
Player.prototype.zoomSheet = function (img) {
    return img;
};

Player.prototype.closeZoom = function () {
    if (!this.zoomEl) return;
    this.zoomEl.remove();
    this.zoomEl = null;
};
