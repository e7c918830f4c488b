// Leafcraft phone slide viewer: one page at a time on a strip moved with the finger.
//
// The title and page options are written into index.html by the publisher, the phone settings
// (`bookConfig`: pictures, logo) into javascript/config.js; the book itself (pages, links,
// contents, search, direction) comes from the book's configuration. Pictures load only around the
// page on show. A classic script, so that it runs from file:// as well as from a server.
import { PhoneBook } from '../../src/book.js';
import { fitBox, pageRatio } from '../../src/ui.js';
import { h } from '../../../player/src/dom.js';
import { text } from '../../src/strings.js';

function $(id) { return document.getElementById(id); }

function SlidePhone() {
    PhoneBook.call(this);
}
SlidePhone.prototype = Object.create(PhoneBook.prototype);

SlidePhone.prototype.begin = function () {
    var self = this, track = $('track');
    this.cfg.pages.forEach(function (page, i) {
        track.appendChild(h('div', { className: 'slide', 'data-page': String(i + 1) }, [
            h('div', { className: 'pagebox' }, [h('img', { alt: text('page', i + 1), draggable: 'false' }),
                h('span', { className: 'missing', text: String(i + 1) }), h('div', { className: 'layer' })])]));
    });
    // Right to left: the first page is the rightmost slide.
    track.style.flexDirection = this.cfg.rtl ? 'row-reverse' : 'row';
    this.layout();
    this.show(this.current, true, false);
    window.addEventListener('resize', function () { self.layout(); self.place(0, false); });
};

SlidePhone.prototype.layout = function () {
    var stage = $('stage'), cfg = this.cfg;
    var boxes = $('track').querySelectorAll('.pagebox');
    for (var i = 0; i < boxes.length; i++) {
        var img = boxes[i].firstChild;
        var ratio = img.naturalWidth ? img.naturalWidth / img.naturalHeight : pageRatio(cfg, i + 1);
        var b = fitBox(stage.clientWidth, stage.clientHeight, ratio, 8);
        boxes[i].style.cssText = 'width:' + b.width + 'px;height:' + b.height + 'px;left:' + b.left + 'px;top:' + b.top + 'px';
    }
};

// The track's offset that shows the current page, moved by a finger's dx.
SlidePhone.prototype.place = function (dx, animate) {
    var w = $('stage').clientWidth, i = this.current - 1;
    var track = $('track');
    track.classList.toggle('animate', !!animate);
    track.style.transform = 'translate3d(' + ((this.cfg.rtl ? i * w : -i * w) + (dx || 0)) + 'px,0,0)';
};

SlidePhone.prototype.onDrag = function (dx) { this.place(dx, false); };
SlidePhone.prototype.onDragEnd = function () { this.place(0, true); };

SlidePhone.prototype.load = function (n) {
    var slide = $('track').children[n - 1];
    if (!slide) return;
    var img = slide.querySelector('img'), self = this;
    this.loaded = this.loaded || new Set();
    this.loaded.add(n);
    if (img.getAttribute('src')) return;
    img.onerror = function () { slide.classList.add('broken'); };
    img.onload = function () { self.layout(); };
    img.setAttribute('src', this.cfg.pages[n - 1].phone);
};

// Only the pictures of the page on show and its neighbours stay: the others are let go, so that
// a long book read to its end holds a few pictures, not all of them.
SlidePhone.prototype.unloadFar = function (n) {
    var track = $('track');
    (this.loaded || new Set()).forEach(function (k) {
        if (Math.abs(k - n) <= 1) return;
        this.loaded.delete(k);
        var slide = track.children[k - 1];
        slide.querySelector('img').removeAttribute('src');
        slide.classList.remove('broken');
    }, this);
};

SlidePhone.prototype.show = function (n, forward, animate) {
    this.load(n);
    this.load(n + 1);
    this.load(n - 1);
    this.unloadFar(n);
    this.place(0, animate !== false);
    this.redraw();
    return new Promise(function (resolve) { setTimeout(resolve, animate === false ? 0 : 320); });
};

SlidePhone.prototype.redraw = function () {
    var layers = $('track').querySelectorAll('.layer');
    for (var i = 0; i < layers.length; i++) if (i !== this.current - 1) layers[i].textContent = '';
    this.frame.decorate(layers[this.current - 1], this.current);
};

// A move that does not turn (a short drag, or the first or last page) springs back.
SlidePhone.prototype.goToPage = function (n) {
    var before = this.current;
    var done = PhoneBook.prototype.goToPage.call(this, n);
    if (this.current === before) this.place(0, true);
    return done;
};

function boot() { new SlidePhone().start(); }
if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', boot);
else setTimeout(boot, 0);
