// The touch gestures of a phone player's stage and the zoom view that shows a page's large
// picture under the fingers: methods of PhoneFrame.
import { h } from '../../player/src/dom.js';
import { PhoneFrame, button, fitBox, pageRatio } from './ui.js';
import { text } from './strings.js';

function $(id) { return document.getElementById(id); }

// -- gestures -----------------------------------------------------------------------------------

// Swipe to turn, tap the outer thirds to turn, double-tap or pinch to zoom. A touch that closes a
// sheet does nothing else. A swipe turns wherever it starts, on a link too; a tap on a link (or on
// a placed item) is the link's own and turns nothing.
PhoneFrame.prototype.bindStage = function () {
    var self = this, p = this.player, stage = $('stage');
    var touches = new Map(), start = null, lastTap = null, tapTimer = 0, pinch = null, swiped = 0;
    stage.addEventListener('click', function (e) {
        // Only the click that ends the swipe: a later one (a key on a focused link) is the reader's.
        if (!swiped || performance.now() - swiped > 600) return;
        swiped = 0;
        e.preventDefault();
        e.stopPropagation();
    }, true);
    stage.addEventListener('pointerdown', function (e) {
        if (e.target.closest('#zoom')) return;
        swiped = 0;
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
            swiped = performance.now();
            return p.turnSide(dx < 0 ? 'right' : 'left'); // the finger pulls the next page in from that side
        }
        if (p.onDragEnd) p.onDragEnd(true);
        if (Math.abs(dx) >= 10 || Math.abs(dy) >= 10) return;
        if (e.target.closest('a, button, .lc-placed')) return;
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
