// The text of the shown pages, for screen readers and for search hits drawn on the page.
//
// A book may carry the words of each page with their places, files/search/words-<n>.js, which
// adds them to window.LeafcraftWords[n] as [x, y, w, h, "word"] (fractions of the page, in reading
// order). They become the page's text layer (textlayer.js): screen readers read the words in
// order, a reader selects and copies them, and a search hit is highlighted where it stands. A book
// without them offers the page's search text (files/search/search.js) to screen readers only.
import { Player } from './player.js';
import { h, root } from './dom.js';
import { fillTextLayer } from './textlayer.js';

function loadScript(src) {
    return new Promise(function (resolve) {
        var s = document.createElement('script');
        s.src = src;
        s.onload = function () { s.remove(); resolve(true); };
        s.onerror = function () { s.remove(); resolve(false); };
        document.head.appendChild(s);
    });
}

// The words of page n, or null when the book has none for it.
Player.prototype.loadWords = function (n) {
    var cache = this.wordLoads || (this.wordLoads = new Map());
    if (!cache.has(n)) {
        var have = function () {
            var all = root.LeafcraftWords;
            return all && Array.isArray(all[n]) ? all[n] : null;
        };
        cache.set(n, have() ? Promise.resolve(have())
            : loadScript('files/search/words-' + n + '.js').then(have));
    }
    return cache.get(n);
};

// The text comes after the pictures: it waits until the book has painted its first pages and a
// turn has ended, so it never delays what the reader sees.
Player.prototype.addPageText = function (el, n) {
    var self = this;
    var layer = h('div', { className: 'lc-page-text', role: 'region', 'aria-label': this.t('pageText', n), lang: this.lang });
    el.appendChild(layer);
    this.ready.then(function () {
        return new Promise(function (resolve) { setTimeout(resolve, self.flip ? self.flipMs : 0); });
    }).then(function () {
        return layer.isConnected ? self.loadWords(n) : undefined;
    }).then(function (words) {
        if (words === undefined) return;
        if (words && words.length) {
            var z = self.pageSize(n);
            fillTextLayer(layer, words, z.w / z.h);
            self.markHits(layer);
            return;
        }
        return self.loadSearchData().then(function (data) {
            var t = String(data[n - 1] || '').trim();
            layer.appendChild(h('p', { text: t || self.t('noText') }));
        }, function () {
            layer.appendChild(h('p', { text: self.t('noText') }));
        });
    });
};

// The zoomed page n in `frame` gets its text layer too, with the search hits marked.
Player.prototype.addZoomText = function (frame, n) {
    var self = this, z = this.pageSize(n);
    this.loadWords(n).then(function (words) {
        if (!words || !words.length || !frame.isConnected) return;
        var layer = h('div', { className: 'lc-page-text', lang: self.lang });
        frame.appendChild(layer);
        fillTextLayer(layer, words, z.w / z.h);
        self.markHits(layer);
    });
};

function fold(s) {
    return String(s || '').toLocaleLowerCase().replace(/[^\p{L}\p{N}]+/gu, '');
}

// Highlights on the shown pages the words of the last search (this.hitQuery).
Player.prototype.markHits = function (layer) {
    var layers = layer ? [layer] : Array.prototype.slice.call(this.bookEl.querySelectorAll('.lc-slot .lc-words'));
    var terms = String(this.hitQuery || '').split(/\s+/).map(fold).filter(Boolean);
    layers.forEach(function (l) {
        var spans = Array.prototype.slice.call(l.querySelectorAll('.lc-word'));
        spans.forEach(function (s) { s.classList.remove('lc-hit'); });
        if (!terms.length) return;
        var words = spans.map(function (s) { return fold(s.textContent); });
        for (var i = 0; i + terms.length <= words.length; i++) {
            var match = terms.every(function (t, k) {
                var w = words[i + k];
                if (terms.length === 1) return w.indexOf(t) >= 0;
                return k === 0 ? w.endsWith(t) : k === terms.length - 1 ? w.startsWith(t) : w === t;
            });
            if (match) for (var k = 0; k < terms.length; k++) spans[i + k].classList.add('lc-hit');
        }
    });
};
