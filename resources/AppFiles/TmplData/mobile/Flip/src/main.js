// Leafcraft phone book: one page at a time, turned like a paper leaf.
//
// The publisher writes this script as javascript/main.js followed by the phone settings (a global
// `bookConfig`: pictures, title, logo, background); the book itself (pages, links, contents,
// search, direction) comes from the book's configuration. A classic script, so that it runs from
// file:// as well as from a server; it starts once the page has loaded, after the settings ran.
import { PhoneBook } from '../../src/book.js';
import { fitBox, pageRatio } from '../../src/ui.js';
import { cssUrl, isColour } from '../../src/look.js';
import { text } from '../../src/strings.js';

var TURN_MS = 450;

function $(id) { return document.getElementById(id); }

function FlipPhone() {
    PhoneBook.call(this);
    this.turning = null;
}
FlipPhone.prototype = Object.create(PhoneBook.prototype);

FlipPhone.prototype.begin = function () {
    var self = this;
    this.paintBackground(this.cfg.phone);
    $('pageTop').querySelector('img').addEventListener('load', function () { self.layout(); });
    this.draw();
    window.addEventListener('resize', function () { self.layout(); });
};

FlipPhone.prototype.paintBackground = function (s) {
    var begin = isColour(s.bgBeginColor) ? s.bgBeginColor : '#FF9900';
    var end = isColour(s.bgEndColor) ? s.bgEndColor : '#e8ac4d';
    // The angle counts like the book player's: 90 runs from top to bottom.
    var gradient = 'linear-gradient(' + ((Number(s.bgMRotation) || 90) + 90) + 'deg, ' + begin + ', ' + end + ')';
    document.body.style.backgroundImage = s.backGroundImgURL ? cssUrl(s.backGroundImgURL) + ', ' + gradient : gradient;
    if (isColour(s.pageBackgroundColor)) document.body.style.setProperty('--page', s.pageBackgroundColor);
};

FlipPhone.prototype.layout = function () {
    var stage = $('stage'), book = $('book'), img = $('pageTop').querySelector('img');
    // The picture's own shape once it has loaded, so that pages of other sizes are not stretched.
    var ratio = img.naturalWidth ? img.naturalWidth / img.naturalHeight : pageRatio(this.cfg, this.current);
    var box = fitBox(stage.clientWidth, stage.clientHeight, ratio, 10);
    book.style.width = box.width + 'px';
    book.style.height = box.height + 'px';
    book.style.left = box.left + 'px';
    book.style.top = box.top + 'px';
};

function setPicture(layer, url, n) {
    var img = layer.querySelector('img');
    layer.classList.remove('broken');
    layer.querySelector('.missing').textContent = String(n);
    img.onerror = function () { layer.classList.add('broken'); };
    img.alt = text('page', n);
    if (img.getAttribute('src') !== url) img.setAttribute('src', url);
}

FlipPhone.prototype.picture = function (n) { return this.cfg.pages[n - 1].phone; };

// Shows the current page at once, with its links, and fetches its neighbours.
FlipPhone.prototype.draw = function () {
    var n = this.current;
    setPicture($('pageTop'), this.picture(n), n);
    $('pageTop').dataset.page = String(n);
    this.redraw();
    this.layout();
    var self = this;
    [n + 1, n - 1].forEach(function (k) { if (k >= 1 && k <= self.cfg.pages.length) new Image().src = self.picture(k); });
};

FlipPhone.prototype.redraw = function () {
    this.frame.decorate($('pageTop').querySelector('.layer'), this.current);
};

// Forward turns lift the shown leaf away from the spine; backward turns lay the earlier leaf back.
FlipPhone.prototype.show = function (n, forward) {
    var self = this, leaf = $('leaf'), top = $('pageTop');
    var from = this.turning ? this.turning.target : Number(top.dataset.page || n);
    this.finishTurn();
    top.dataset.page = String(n);
    var reduce = window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches;
    if (reduce || from === n) { this.draw(); return Promise.resolve(); }
    var folded = 'rotateY(' + (this.cfg.rtl ? 96 : -96) + 'deg)', flat = 'rotateY(0deg)';
    leaf.classList.remove('animate', 'folded');
    top.querySelector('.layer').textContent = '';
    if (forward) {
        setPicture($('pageUnder'), this.picture(n), n);
        setPicture(leaf, this.picture(from), from);
        top.style.visibility = 'hidden';
        leaf.style.transform = flat;
    } else {
        setPicture(leaf, this.picture(n), n);
        leaf.style.transform = folded;
        leaf.classList.add('folded');
    }
    leaf.classList.add('turning');
    void leaf.offsetWidth; // the transition starts from the state just set
    leaf.classList.add('animate');
    leaf.style.transform = forward ? folded : flat;
    leaf.classList.toggle('folded', forward);
    return new Promise(function (resolve) {
        self.turning = { target: n, resolve: resolve, timer: setTimeout(function () { self.finishTurn(); }, TURN_MS + 80) };
        leaf.addEventListener('transitionend', function onEnd(e) {
            if (e.target !== leaf) return;
            leaf.removeEventListener('transitionend', onEnd);
            self.finishTurn();
        });
    });
};

FlipPhone.prototype.finishTurn = function () {
    if (!this.turning) return;
    var t = this.turning;
    clearTimeout(t.timer);
    this.turning = null;
    var leaf = $('leaf');
    this.draw();
    $('pageTop').style.visibility = '';
    leaf.classList.remove('turning', 'animate', 'folded');
    leaf.style.transform = '';
    t.resolve();
};

function boot() { new FlipPhone().start(); }
if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', boot);
else setTimeout(boot, 0);
