// The zoomed view of the open pages.
import { Player } from './player.js';
import { h, icon } from './dom.js';

// -- zoom --------------------------------------------------------------------------------

// The zoomed view shows the large pictures (twice the page's point size) at up to their own
// resolution, so text stays sharp.
Player.prototype.openZoom = function () {
    if (this.zoomEl) return this.zoomBy(1);
    var self = this;
    this.zoomLevel = 1;
    this.zoomEl = h('div', { className: 'lc-zoom', role: 'dialog', 'aria-label': 'Zoomed pages' });
    this.zoomInner = h('div', { className: 'lc-zoom-inner' });
    var tools = h('div', { className: 'lc-zoom-tools' }, [
        h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Zoom in', title: 'Zoom in',
            onclick: function () { self.zoomBy(1); } }, [icon('Zoom')]),
        h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Zoom out', title: 'Zoom out',
            onclick: function () { self.zoomBy(-1); } }, [icon('zoomOut')]),
        h('button', { type: 'button', className: 'lc-button', 'aria-label': 'Close zoom', title: 'Close',
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

Player.prototype.zoomBy = function (d) {
    this.zoomLevel = Math.max(1, Math.min(3, this.zoomLevel + d));
    this.renderZoom();
};

Player.prototype.renderZoom = function () {
    var self = this;
    var pages = this.viewOf(this.current);
    var order = [pages.left, pages.right].filter(Boolean);
    this.zoomInner.textContent = '';
    var factor = 1 + this.zoomLevel * 0.75; // 1.75x, 2.5x, 3.25x of the page as shown
    var zoomEl = this.zoomEl;
    var centre = function () {
        zoomEl.scrollLeft = (zoomEl.scrollWidth - zoomEl.clientWidth) / 2;
    };
    order.forEach(function (n) {
        var img = h('img', { className: 'lc-zoom-img', alt: 'Page ' + n, draggable: 'false' });
        var want = self.pageW * factor;
        img.style.width = Math.round(want) + 'px';
        img.style.aspectRatio = String(self.aspect);
        // Never enlarge a picture past its own pixels once they are known: beyond that the
        // view gets bigger, not sharper.
        img.addEventListener('load', function () {
            var limit = Math.max(img.naturalWidth, self.pageW * 1.5);
            img.style.width = Math.round(Math.min(want, limit)) + 'px';
            centre();
        });
        img.src = self.cfg.pages[n - 1].large || '';
        self.zoomInner.appendChild(img);
    });
    centre();
};

Player.prototype.closeZoom = function () {
    if (!this.zoomEl) return;
    this.zoomEl.remove();
    this.zoomEl = null;
};
