// The book's search text (files/search/search.js: window.LeafcraftSearchText, one text per page)
// and the matching, shared by the book player and the phone players.
import { root } from './dom.js';

export function normalise(s) {
    return String(s || '').replace(/\s+/g, ' ').trim().toLocaleLowerCase();
}

// A short piece of a page's text around the first match of q.
export function snippet(textOfPage, q) {
    var t = String(textOfPage || '').replace(/\s+/g, ' ');
    var i = t.toLocaleLowerCase().indexOf(normalise(q));
    if (i < 0) return t.slice(0, 80);
    var from = Math.max(0, i - 30);
    return (from ? '…' : '') + t.slice(from, i + q.length + 50) + '…';
}

// Loads a script once (script elements work from file:// too); resolves when it has run.
var scripts = {};
export function loadScript(url) {
    if (!scripts[url]) {
        scripts[url] = new Promise(function (resolve, reject) {
            var s = document.createElement('script');
            s.src = url;
            s.onload = resolve;
            s.onerror = function () { delete scripts[url]; reject(new Error('cannot load ' + url)); };
            document.head.appendChild(s);
        });
    }
    return scripts[url];
}

// Resolves to { texts, index }: the page texts and their normalised forms. `t` gives the
// messages of a failure in the reader's language (see i18n.js).
export function loadSearchText(url, t) {
    var have = function () { return Array.isArray(root.LeafcraftSearchText); };
    return (have() ? Promise.resolve() : loadScript(url).catch(function () {
        throw new Error(t('noSearchData'));
    })).then(function () {
        if (!have()) throw new Error(t('searchDamaged'));
        var texts = root.LeafcraftSearchText.map(function (t) { return typeof t === 'string' ? t : ''; });
        return { texts: texts, index: texts.map(normalise) };
    });
}

// The 1-based numbers of the first `count` pages whose text holds q.
export function pagesMatching(index, q, count) {
    var needle = normalise(q), hits = [];
    if (!needle) return hits;
    for (var i = 0; i < Math.min(index.length, count); i++) if (index[i].indexOf(needle) >= 0) hits.push(i + 1);
    return hits;
}

// A word as a search compares it: lower case, letters and digits only.
export function foldWord(s) {
    return String(s || '').toLocaleLowerCase().replace(/[^\p{L}\p{N}]+/gu, '');
}

// Which of a page's words (their texts, in reading order) a search for q marks: for a one-word
// query every word that holds it; for several words each run of words whose first ends with the
// query's first word, whose last starts with its last and whose others are its middle words, as
// the phrase runs on across them. Returns one flag per word.
export function markedWords(texts, q) {
    var terms = String(q || '').split(/\s+/).map(foldWord).filter(Boolean);
    var words = texts.map(foldWord), marked = words.map(function () { return false; });
    if (!terms.length) return marked;
    var last = terms.length - 1;
    var fits = function (w, k) {
        if (!last) return w.indexOf(terms[0]) >= 0;
        return k === 0 ? w.endsWith(terms[0]) : k === last ? w.startsWith(terms[last]) : w === terms[k];
    };
    for (var i = 0; i + last < words.length; i++) {
        var k = 0;
        while (k <= last && fits(words[i + k], k)) k++;
        if (k > last) for (k = 0; k <= last; k++) marked[i + k] = true;
    }
    return marked;
}

// Names the links laid over a page (anchors placed by left/top/width/height in percent of the
// page) by the words of the page under them, so that a screen reader says "Chapter Two" rather
// than only "Go to page 5"; the tooltip stays. Links over no word keep their title as name.
export function nameLinks(anchors, words) {
    Array.prototype.forEach.call(anchors, function (a) {
        var x = parseFloat(a.style.left) / 100, y = parseFloat(a.style.top) / 100;
        var w = parseFloat(a.style.width) / 100, h = parseFloat(a.style.height) / 100;
        var said = (words || []).filter(function (word) {
            var cx = +word[0] + word[2] / 2, cy = +word[1] + word[3] / 2;
            return cx >= x && cx <= x + w && cy >= y && cy <= y + h && typeof word[4] === 'string';
        }).map(function (word) { return word[4]; }).join(' ').trim();
        if (said) a.setAttribute('aria-label', said);
    });
}

// The words of page n (files/search/words-<n>.js: [[x, y, w, h, "word"], ...] as fractions of
// the page), or null when the book has none. `texts`, when given, resolves to the pages' search
// texts: once a words file is found missing, only pages with some text are asked for theirs, so
// a book made from pictures does not ask for a file per page that it does not have.
var wordsMissing = {};
export function loadPageWords(folder, n, texts) {
    var all = function () { return root.LeafcraftWords || {}; };
    if (all()[n]) return Promise.resolve(all()[n]);
    var asked = !wordsMissing[folder] || !texts ? Promise.resolve(true)
        : texts().then(function (t) { return !!String(t[n - 1] || '').trim(); }, function () { return false; });
    return asked.then(function (ask) {
        if (!ask) return null;
        return loadScript(folder + 'words-' + n + '.js').then(function () { return all()[n] || null; }, function () {
            wordsMissing[folder] = true;
            return null;
        });
    });
}
