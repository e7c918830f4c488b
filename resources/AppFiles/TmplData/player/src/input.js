// Keyboard, pointer and address input.
import { Player } from './player.js';
import { root } from './dom.js';

// -- input -------------------------------------------------------------------------------

Player.prototype.bindInput = function () {
    var self = this;
    document.addEventListener('keydown', function (e) {
        var t = e.target;
        // The browser's own print would print the interface: Ctrl+P prints the open pages, and
        // nothing in a book that hides its print button.
        if ((e.ctrlKey || e.metaKey) && !e.altKey && (e.key === 'p' || e.key === 'P')) {
            e.preventDefault();
            if (!self.cfg.hidden.Print) self.print();
            return;
        }
        if (e.altKey || e.ctrlKey || e.metaKey) return;
        if (t && (t.tagName === 'INPUT' || t.tagName === 'TEXTAREA' || t.isContentEditable)) {
            if (e.key === 'Escape') t.blur();
            return;
        }
        // Space and Enter on a focused control belong to that control.
        if ((e.key === ' ' || e.key === 'Enter') && t && t.closest && t.closest('button, a')) return;
        var rtl = self.cfg.rtl, handled = true;
        switch (e.key) {
        case 'ArrowRight': rtl ? self.prev() : self.next(); break;
        case 'ArrowLeft': rtl ? self.next() : self.prev(); break;
        case 'PageDown': case ' ': self.next(); break;
        case 'PageUp': self.prev(); break;
        case 'Home': self.goToPage(1); break;
        case 'End': self.goToPage(self.cfg.pages.length); break;
        case 'Escape': self.closeAll(); break;
        case '+': case '=': if (!self.cfg.hidden.Zoom) self.openZoom(); break;
        case '-': if (self.zoomEl) self.zoomBy(-1); break;
        default: handled = false;
        }
        if (handled) e.preventDefault();
    });
    root.addEventListener('hashchange', function () {
        var m = /^#page=(\d+)$/.exec(location.hash);
        if (m) self.goToPage(parseInt(m[1], 10));
    });
    // A swipe or a mouse drag turns the page wherever it starts, on a link too; the click that
    // may end it then follows no link. A tap on a link or a placed item is left to it.
    var start = null, swiped = 0;
    this.stage.addEventListener('click', function (e) {
        // Only the click that ends the swipe: a later one (a key on a focused link) is the reader's.
        if (!swiped || performance.now() - swiped > 600) return;
        swiped = 0;
        e.preventDefault();
        e.stopPropagation();
    }, true);
    this.stage.addEventListener('pointerdown', function (e) {
        start = { x: e.clientX, y: e.clientY, t: performance.now() };
        swiped = 0;
    });
    this.stage.addEventListener('pointerup', function (e) {
        if (!start) return;
        if (self.pano && self.pano.dragged) { start = null; return; } // the drag turned the panorama
        var dx = e.clientX - start.x, dy = e.clientY - start.y;
        start = null;
        if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy)) {
            // A swipe drags the page toward the way it turns.
            swiped = performance.now();
            (dx < 0) !== self.cfg.rtl ? self.next() : self.prev();
            return;
        }
        if (Math.abs(dx) > 8 || Math.abs(dy) > 8) return;
        if (e.target.closest && e.target.closest('a, button, .lc-placed')) return;
        var box = self.bookEl.getBoundingClientRect();
        if (e.clientX < box.left || e.clientX > box.right || e.clientY < box.top || e.clientY > box.bottom) return;
        var onRight = e.clientX > box.left + box.width / 2;
        if (self.mode === 'single') {
            var third = box.width / 3;
            if (e.clientX > box.right - third) onRight = true;
            else if (e.clientX < box.left + third) onRight = false;
            else return;
        }
        onRight !== self.cfg.rtl ? self.next() : self.prev();
    });
    ['pointerdown', 'keydown'].forEach(function (type) {
        document.addEventListener(type, function () { self.userActed(); }, { once: true, capture: true });
    });
};
