// The text of the shown pages, for screen readers and for search hits drawn on the page.
//
// A book may carry the words of each page with their places, files/search/words-<n>.js, which
// adds them to window.LeafcraftWords[n] as [x, y, w, h, "word"] (fractions of the page, in reading
// order). They become the page's text layer (textlayer.js): screen readers read the words in
// order, a reader selects and copies them, and a search hit is highlighted where it stands. A book
// without them offers the page's search text (files/search/search.js) to screen readers only.
import { Player } from './player.js';
import { h, root } from './dom.js';
import { markedWords, nameLinks } from './searchtext.js';
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
        // Once a words file is missing, only pages with search text are asked for theirs: a book
        // made from pictures has none, and no file is asked for in vain page after page.
        var self = this;
        var ask = have() || !this.wordsMissing ? Promise.resolve(true) : this.loadSearchData().then(function (texts) {
            return !!String(texts[n - 1] || '').trim();
        }, function () { return false; });
        cache.set(n, ask.then(function (asked) {
            if (have() || !asked) return have();
            return loadScript('files/search/words-' + n + '.js').then(function (ok) {
                if (!ok) self.wordsMissing = true;
                return have();
            });
        }));
    }
    return cache.get(n);
};

// The text comes after the pictures: it waits until the book has painted its first pages and a
// turn has ended, so it never delays what the reader sees.
Player.prototype.addPageText = function (el, n) {
    var self = this;
    var layer = h('div', { className: 'lc-page-text', role: 'region', 'aria-label': this.t('pageText', n),
        lang: this.cfg.textLanguage || this.lang });
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
            nameLinks(el.querySelectorAll('a.lc-link'), words);
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

// Highlights on the shown pages the words of the last search (this.hitQuery).
Player.prototype.markHits = function (layer) {
    var layers = layer ? [layer] : Array.prototype.slice.call(this.bookEl.querySelectorAll('.lc-slot .lc-words'));
    var q = this.hitQuery;
    layers.forEach(function (l) {
        var spans = Array.prototype.slice.call(l.querySelectorAll('.lc-word'));
        var marked = markedWords(spans.map(function (s) { return s.textContent; }), q);
        spans.forEach(function (s, i) { s.classList.toggle('lc-hit', marked[i]); });
    });
};
