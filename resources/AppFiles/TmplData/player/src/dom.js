// Small DOM helpers and the tool icons. Texts always go in as text nodes.

export const root = typeof window !== 'undefined' ? window : globalThis;

export function h(tag, props, children) {
    var el = document.createElement(tag);
    if (props) {
        Object.keys(props).forEach(function (k) {
            var v = props[k];
            if (v === null || v === undefined || v === false) return;
            if (k === 'text') el.textContent = v;
            else if (k === 'className') el.className = v;
            else if (k.slice(0, 2) === 'on') el.addEventListener(k.slice(2), v);
            else el.setAttribute(k, v === true ? '' : v);
        });
    }
    (children || []).forEach(function (c) { if (c) el.appendChild(c); });
    return el;
}

var ICONS = {
    first: 'M6 5h2v14H6zM20 5v14l-10-7z',
    prev: 'M16 5v14L6 12z',
    next: 'M8 5v14l10-7z',
    last: 'M16 5h2v14h-2zM4 5v14l10-7z',
    Zoom: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10zM9 7h2v2h2v2h-2v2H9v-2H7V9h2z',
    TiltAngle: 'M3 17l4-10h10l4 10zM8.4 9l-2.4 6h12l-2.4-6z',
    AutoPlay: 'M8 5v14l11-7z',
    AutoPause: 'M7 5h4v14H7zM13 5h4v14h-4z',
    BackgroundSound: 'M12 3v10.6A4 4 0 1014 17V7h4V3z',
    Info: 'M11 10h2v7h-2zM11 6h2v2h-2zM12 2a10 10 0 110 20 10 10 0 010-20zm0 2a8 8 0 100 16 8 8 0 000-16z',
    Bookmark: 'M4 5h2v2H4zM8 5h12v2H8zM4 11h2v2H4zM8 11h12v2H8zM4 17h2v2H4zM8 17h12v2H8z',
    Thumbnail: 'M3 3h8v8H3zM13 3h8v8h-8zM3 13h8v8H3zM13 13h8v8h-8z',
    Search: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10z',
    FullScreen: 'M3 3h7v2H5v5H3zM14 3h7v7h-2V5h-5zM3 14h2v5h5v2H3zM19 14h2v7h-7v-2h5z',
    Help: 'M12 2a10 10 0 110 20 10 10 0 010-20zm0 2a8 8 0 100 16 8 8 0 000-16zm-1 11h2v2h-2zm1-9a3.5 3.5 0 012 6.4c-.7.5-1 .9-1 1.6h-2c0-1.5.7-2.3 1.6-3A1.5 1.5 0 1010.5 9.5h-2A3.5 3.5 0 0112 6z',
    Share: 'M18 2a3 3 0 11-2.8 4.1L8.9 9.4a3 3 0 010 1.2l6.3 3.3A3 3 0 1114.6 16l-6.3-3.3a3 3 0 110-5.4l6.3-3.3A3 3 0 0118 2z',
    Print: 'M6 2h12v5H6zM4 8h16a2 2 0 012 2v7h-4v5H6v-5H2v-7a2 2 0 012-2zm4 9v3h8v-3z',
    Download: 'M11 3h2v9l3.5-3.5 1.4 1.4L12 15.8 6.1 9.9l1.4-1.4L11 12zM4 18h16v2H4z',
    more: 'M5 10h4v4H5zM10 10h4v4h-4zM15 10h4v4h-4z',
    close: 'M6.4 5L12 10.6 17.6 5 19 6.4 13.4 12l5.6 5.6-1.4 1.4-5.6-5.6L6.4 19 5 17.6 10.6 12 5 6.4z',
    zoomOut: 'M10 3a7 7 0 015.6 11.2l5.2 5.2-1.4 1.4-5.2-5.2A7 7 0 1110 3zm0 2a5 5 0 100 10 5 5 0 000-10zM7 9h6v2H7z'
};

export function icon(name) {
    var ns = 'http://www.w3.org/2000/svg';
    var svg = document.createElementNS(ns, 'svg');
    svg.setAttribute('viewBox', '0 0 24 24');
    svg.setAttribute('aria-hidden', 'true');
    var p = document.createElementNS(ns, 'path');
    p.setAttribute('d', ICONS[name] || '');
    svg.appendChild(p);
    return svg;
}

// Keeps Tab and Shift+Tab within `box` (an open modal view): from its last control to its first
// and back.
export function keepFocusIn(box) {
    box.addEventListener('keydown', function (e) {
        if (e.key !== 'Tab') return;
        var all = Array.prototype.filter.call(box.querySelectorAll(
            'a[href], button:not([disabled]), input:not([disabled]), select, textarea, [tabindex]:not([tabindex="-1"])'),
        function (el) { return el.offsetParent !== null || el === document.activeElement; });
        if (!all.length) return;
        var first = all[0], last = all[all.length - 1];
        if (e.shiftKey ? document.activeElement === first : document.activeElement === last) {
            e.preventDefault();
            (e.shiftKey ? last : first).focus();
        }
    });
}
