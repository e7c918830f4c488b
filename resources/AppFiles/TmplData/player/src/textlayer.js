// The text layer: a page's words laid invisibly over its picture (whatever the picture is: a JPG,
// an SVG), so that a reader selects and copies them with the mouse, the browser's own find finds
// them, and a search hit is marked exactly where the word stands. Shared by the book player and
// the phone players.
//
// The words come from files/search/words-<n>.js as [x, y, w, h, "word"] (fractions of the page,
// in reading order). Each becomes a span at its box, set in a font as high as the box (in em of
// the layer, whose font size is its own height) and stretched to the box's width. The words file says nothing of
// lines: a word starts a new line when it no longer stands beside the word before it.
//
// Input: a mouse press on a word starts a selection and nothing else (the stage's click-to-turn
// and drag-to-turn never see it); a press beside the words, a touch, a swipe and the keys turn
// pages as before. Copying a selection that lies in text layers gives the selected words in
// reading order, a space between words and a line break between lines.
import { h } from './dom.js';
import css from './textlayer.css';

var installed = false;
var measure = null;

function install() {
    if (installed) return;
    installed = true;
    var style = document.createElement('style');
    style.textContent = css;
    (document.head || document.documentElement).appendChild(style);
    document.addEventListener('copy', onCopy);
    document.addEventListener('selectionchange', followSelection);
    document.addEventListener('pointerdown', function () { pressed = true; }, true);
    ['pointerup', 'pointercancel'].forEach(function (type) {
        document.addEventListener(type, endSelecting, true);
    });
}

// The width of `text` in the layer's font at 1px.
function naturalWidth(text) {
    if (!measure) {
        measure = document.createElement('canvas').getContext('2d');
        if (measure) measure.font = '100px sans-serif';
    }
    return measure ? measure.measureText(text).width / 100 : 0.55 * text.length;
}

// Whether two word boxes [x, y, w, h] stand on one line: they share at least half the height of
// the shorter one (a superscript stays on its line, the next line does not touch it).
function sameLine(a, b) {
    var overlap = Math.min(a[1] + a[3], b[1] + b[3]) - Math.max(a[1], b[1]);
    return overlap >= 0.5 * Math.min(a[3], b[3]);
}

// The words of a words file that can be shown, as { box: [x, y, w, h], text, lineStart }.
function layoutWords(words) {
    var out = [], prev = null;
    (Array.isArray(words) ? words : []).forEach(function (w) {
        if (!Array.isArray(w) || typeof w[4] !== 'string' || !w[4].trim()) return;
        var box = [+w[0], +w[1], +w[2], +w[3]];
        if (!box.every(isFinite)) return;
        out.push({ box: box, text: w[4], lineStart: !!prev && !sameLine(prev, box) });
        prev = box;
    });
    return out;
}

// Sets `el` at the box's place, in a font as high as the box.
function place(el, box) {
    el.style.left = box[0] * 100 + '%';
    el.style.top = box[1] * 100 + '%';
    el.style.fontSize = box[3] + 'em';
    return el;
}

// A layer's font size follows its height, through every resize and zoom step (before they are
// painted). Container units would do this in CSS, but the web views some readers have (the
// desktop preview's among them) predate them. A removed layer is let go.
var sizes = null;

function followHeight(layer) {
    layer.style.fontSize = layer.offsetHeight + 'px';
    if (typeof ResizeObserver !== 'function') return;
    if (!sizes) {
        sizes = new ResizeObserver(function (entries) {
            entries.forEach(function (e) {
                if (!e.target.isConnected) sizes.unobserve(e.target);
                else if (e.contentRect.height > 0) e.target.style.fontSize = e.contentRect.height + 'px';
            });
        });
    }
    sizes.observe(layer);
}

// Fills `layer` (an element laid exactly over the page) with the words. `aspect` is the page's
// width over its height, used while the layer has no size of its own yet.
export function fillTextLayer(layer, words, aspect) {
    install();
    layer.classList.add('lc-words');
    var ratio = layer.offsetWidth > 0 && layer.offsetHeight > 0 ? layer.offsetWidth / layer.offsetHeight : aspect;
    var frag = document.createDocumentFragment();
    var prev = null;
    layoutWords(words).forEach(function (w) {
        // The space or line break before the word ends the word before it, outside its box: for
        // copying, for screen readers and for a find across words.
        if (prev) prev.appendChild(document.createTextNode(w.lineStart ? '\n' : ' '));
        var span = place(h('span', { className: w.lineStart ? 'lc-word lc-line' : 'lc-word', text: w.text }), w.box);
        // The box is b[2] * W pixels wide; the word set b[3] * H pixels high is
        // naturalWidth * b[3] * H wide. Sized up front, it is laid out without measuring its text.
        var b = w.box, natural = naturalWidth(w.text);
        if (natural > 0 && b[3] > 0 && ratio > 0) {
            span.style.width = natural.toFixed(4) + 'em';
            span.style.transform = 'scaleX(' + (b[2] * ratio / (natural * b[3])).toFixed(4) + ')';
        }
        frag.appendChild(span);
        prev = span;
    });
    frag.appendChild(h('div', { className: 'lc-text-cover', 'aria-hidden': 'true' }));
    followHeight(layer); // while the layer is still empty, so that its words are laid out once
    layer.appendChild(frag);
    layer.addEventListener('pointerdown', function (e) {
        if (e.pointerType !== 'mouse' || e.button !== 0 || !e.target.closest('.lc-word')) return;
        e.stopPropagation();
    });
}

// Lays the words of a page, once `wordsPromise` gives them, as the first child of `host` (under
// the links drawn there). A later call for the same host wins over one still waiting.
export function addTextLayer(host, wordsPromise, aspect) {
    var token = {};
    host.lcTextToken = token;
    Promise.resolve(wordsPromise).then(function (words) {
        if (host.lcTextToken !== token || !host.isConnected || !words || !words.length) return;
        var layer = h('div', { className: 'lc-page-text' });
        host.insertBefore(layer, host.firstChild);
        fillTextLayer(layer, words, aspect);
    });
}

function elementOf(node) {
    return node && (node.nodeType === 1 ? node : node.parentElement);
}

// While a pointer draws a selection, the layers it touches are 'lc-selecting' and the cover of
// the layer where the selection's moving end lies sits right after (or, for a moving start,
// before) that end in the text: the gaps then stand for that place, and the selection keeps its
// end over them instead of jumping to the page's first or last word.
var pressed = false, lastRange = null;

function followSelection() {
    var sel = document.getSelection();
    if (!pressed || !sel || !sel.rangeCount) return;
    var range = sel.getRangeAt(0);
    var layers = document.querySelectorAll('.lc-words');
    for (var i = 0; i < layers.length; i++) layers[i].classList.toggle('lc-selecting', !range.collapsed && range.intersectsNode(layers[i]));
    var startMoves = !!lastRange && (range.compareBoundaryPoints(Range.END_TO_END, lastRange) === 0
        || range.compareBoundaryPoints(Range.START_TO_END, lastRange) === 0);
    var el = elementOf(startMoves ? range.startContainer : range.endContainer);
    var word = el && el.closest('.lc-words > .lc-word');
    var cover = word && word.parentNode.querySelector(':scope > .lc-text-cover');
    if (cover) word.parentNode.insertBefore(cover, startMoves ? word : word.nextSibling);
    lastRange = range.cloneRange();
}

function endSelecting() {
    pressed = false;
    lastRange = null;
    var on = document.querySelectorAll('.lc-words.lc-selecting');
    for (var i = 0; i < on.length; i++) {
        on[i].classList.remove('lc-selecting');
        var cover = on[i].querySelector(':scope > .lc-text-cover');
        if (cover) on[i].appendChild(cover);
    }
}

function layerOf(node) {
    var el = elementOf(node);
    return el ? el.closest('.lc-words') : null;
}

// The text of the words `range` covers (parts of words at its ends), in reading order; null when
// the range does not both begin and end in text layers.
function selectedText(range) {
    if (!layerOf(range.startContainer) || !layerOf(range.endContainer)) return null;
    var out = '', last = null;
    var layers = document.querySelectorAll('.lc-words');
    for (var i = 0; i < layers.length; i++) {
        if (!range.intersectsNode(layers[i])) continue;
        var spans = layers[i].querySelectorAll('.lc-word');
        for (var k = 0; k < spans.length; k++) {
            if (!range.intersectsNode(spans[k])) continue;
            var part = document.createRange();
            part.selectNodeContents(spans[k]);
            if (range.compareBoundaryPoints(Range.START_TO_START, part) > 0) part.setStart(range.startContainer, range.startOffset);
            if (range.compareBoundaryPoints(Range.END_TO_END, part) < 0) part.setEnd(range.endContainer, range.endOffset);
            var t = part.toString().replace(/\s+$/, ''); // less the space or break after it
            if (!t) continue;
            if (out) out += last !== layers[i] || spans[k].classList.contains('lc-line') ? '\n' : ' ';
            out += t;
            last = layers[i];
        }
    }
    return out;
}

function onCopy(e) {
    var sel = document.getSelection();
    if (!sel || sel.isCollapsed || !sel.rangeCount || !e.clipboardData) return;
    var text = selectedText(sel.getRangeAt(0));
    if (text === null) return;
    e.clipboardData.setData('text/plain', text);
    e.preventDefault();
}
