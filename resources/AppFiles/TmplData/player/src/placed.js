// The page editor's placed items drawn on a page: pictures, movies (played with the browser's
// controls; an FLV movie, which browsers cannot play, as a note with a download link), sounds
// (a play button), SWF clips (a note with their title and a download link) and link areas.
// Each item sits at its place on the page as fractions of the page, so it scales with it.
// Shared by the book player and the phone players; every value goes in as text or as a checked
// address, so no item can add markup or script. Media load only when their page is drawn, and
// stop when it is taken away (a removed media element pauses).

// The labels in English; a player passes its translator (i18n.js) for the book's language.
var ENGLISH = {
    movieCannotPlay: 'This movie cannot be played in a browser.',
    swfClip: 'SWF clip: it cannot be shown in a browser.',
    download: 'Download',
    playSound: 'Play sound',
    pauseSound: 'Pause sound'
};
function english(key) { return ENGLISH[key]; }
var PLAYABLE = /\.(mp4|m4v|webm|ogv)$/i;
var MOVIE_TYPES = { mp4: 'video/mp4', m4v: 'video/mp4', webm: 'video/webm', ogv: 'video/ogg' };
var STYLE = [
    '.lc-placed{position:absolute;z-index:3;box-sizing:border-box;overflow:hidden;pointer-events:auto}',
    '.lc-placed>img,.lc-placed>video,.lc-placed>a,.lc-placed>div{display:block;width:100%;height:100%;box-sizing:border-box}',
    '.lc-placed>img,.lc-placed>video{object-fit:contain;background:transparent}',
    '.lc-placed>video{background:#000}',
    '.lc-placed-link:hover,.lc-placed-link:focus-visible{background:rgba(255,220,0,.28);outline:1px solid rgba(200,150,0,.7)}',
    '.lc-placed-note{display:flex!important;flex-direction:column;align-items:center;justify-content:center;gap:2px;',
    'padding:4px;background:rgba(30,30,30,.85);color:#fff;font:12px/1.3 system-ui,sans-serif;text-align:center}',
    '.lc-placed-note strong{max-width:100%;overflow:hidden;text-overflow:ellipsis;white-space:nowrap}',
    '.lc-placed-note a{color:#9cf}',
    '.lc-placed-sound{display:flex!important;align-items:center;justify-content:center}',
    '.lc-placed-play{width:100%;height:100%;min-width:24px;min-height:24px;border:0;border-radius:6px;',
    'background:rgba(26,102,210,.9);color:#fff;font-size:14px;cursor:pointer}'
].join('');

function ensureStyle() {
    if (document.getElementById('lc-placed-style')) return;
    var style = el('style', { id: 'lc-placed-style' });
    style.textContent = STYLE;
    (document.head || document.documentElement).appendChild(style);
}

function el(tag, props, text) {
    var e = document.createElement(tag);
    Object.keys(props || {}).forEach(function (k) {
        if (k === 'className') e.className = props[k];
        else if (props[k] !== null && props[k] !== undefined) e.setAttribute(k, props[k]);
    });
    if (text) e.textContent = text;
    return e;
}

function fraction(value) {
    var n = parseFloat(value);
    return isFinite(n) ? Math.min(1, Math.max(0, n)) : NaN;
}

// A book file under the folder `files` ("editor/x.png" -> "files/editor/x.png"), or null when
// the path is not a plain relative path inside it.
export function placedFileUrl(href, files) {
    var v = String(href || '').trim();
    if (!v || /^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(v) || /^[\\/]/.test(v) || v.indexOf('\\') >= 0) return null;
    var parts = v.split('/');
    if (parts.some(function (p) { return p === '' || p === '.' || p === '..'; })) return null;
    return files + parts.map(encodeURIComponent).join('/');
}

function webUrl(href) {
    var v = String(href || '').trim();
    return /^(https?:\/\/|mailto:)/i.test(v) && !/[\u0000-\u001f\s]/.test(v) ? v : null;
}

function note(kind, title, url, text, t) {
    var box = el('div', { className: 'lc-placed-note lc-placed-' + kind, role: 'note' });
    box.appendChild(el('strong', {}, title));
    box.appendChild(el('span', {}, text));
    box.appendChild(el('a', { href: url, download: '', rel: 'noopener', target: '_blank' }, t('download')));
    return box;
}

function soundButton(url, item, t) {
    var box = el('div', { className: 'lc-placed-sound' });
    var button = el('button', { type: 'button', className: 'lc-placed-play', 'aria-label': t('playSound'),
        title: item.title || t('playSound') }, '\u25B6');
    var audio = null;
    function sync() {
        var playing = audio && !audio.paused;
        button.textContent = playing ? '\u275A\u275A' : '\u25B6';
        button.setAttribute('aria-label', t(playing ? 'pauseSound' : 'playSound'));
    }
    function load() {
        if (audio) return audio;
        audio = el('audio', { preload: 'auto', src: url });
        audio.loop = item.loop === 'Yes';
        audio.addEventListener('play', sync);
        audio.addEventListener('pause', sync);
        audio.addEventListener('ended', sync);
        box.appendChild(audio);
        return audio;
    }
    button.addEventListener('click', function () {
        var a = load();
        if (a.paused) a.play().catch(sync);
        else a.pause();
    });
    box.appendChild(button);
    if (item.autoplay === 'Yes') load().play().catch(sync);
    return box;
}

// A movie the browser cannot play becomes the note with its download link, at once when the
// browser says it cannot play its kind, else when loading it fails.
function movie(url, href, item, title, name, t) {
    var cannot = function () { return note('movie', title || name, url, t('movieCannotPlay'), t); };
    var kind = MOVIE_TYPES[String(href).split('.').pop().toLowerCase()];
    var probe = document.createElement('video');
    if (probe.canPlayType && kind && !probe.canPlayType(kind)) return cannot();
    var video = el('video', { className: 'lc-placed-video', src: url, controls: '', preload: 'metadata',
        playsinline: '', title: title || null });
    video.loop = item.loop === 'Yes';
    if (item.autoplay === 'Yes') {
        video.muted = true; // browsers start only muted movies on their own
        video.autoplay = true;
    }
    video.addEventListener('error', function () {
        if (video.parentNode) video.parentNode.replaceChild(cannot(), video);
    });
    return video;
}

function itemView(item, files, t) {
    var kind = item.name, title = item.title || '';
    var href = item.href;
    if (kind === 'Link') {
        var web = webUrl(href);
        return web && el('a', { className: 'lc-placed-link', href: web, target: '_blank', rel: 'noopener noreferrer',
            title: title || web, 'aria-label': title || web, draggable: 'false' });
    }
    var url = placedFileUrl(href, files);
    if (!url) return null;
    var name = decodeURIComponent(url.split('/').pop());
    if (kind === 'Image') return el('img', { className: 'lc-placed-image', src: url, alt: title, title: title || null,
        loading: 'lazy', draggable: 'false' });
    if (kind === 'Video' && PLAYABLE.test(href)) return movie(url, href, item, title, name, t);
    if (kind === 'Video') return note('movie', title || name, url, t('movieCannotPlay'), t);
    if (kind === 'Audio') return soundButton(url, item, t);
    if (kind === 'Swf') return note('swf', title || name, url, t('swfClip'), t);
    return null;
}

// Draws `items` (the attributes of each placed Item, as texts) on `pageEl`; `files` is the
// address of the book's files folder as seen from the page ("files/", "../files/"); `t` gives
// the labels in the book's language (English without it).
export function drawPlacedItems(pageEl, items, files, t) {
    t = t || english;
    if (items && items.length) ensureStyle();
    (items || []).forEach(function (item) {
        var x = fraction(item.x), y = fraction(item.y), w = fraction(item.width), hgt = fraction(item.height);
        if (item.type !== 'rect' || ![x, y, w, hgt].every(isFinite)) return;
        var view = itemView(item, files, t);
        if (!view) return;
        var box = el('div', { className: 'lc-placed', 'data-placed': item.name });
        box.style.left = x * 100 + '%';
        box.style.top = y * 100 + '%';
        box.style.width = w * 100 + '%';
        box.style.height = hgt * 100 + '%';
        // Using an item never turns the page under it; a swipe that starts on a link area still
        // turns (the players leave a tap on a link to the link).
        (item.name === 'Link' ? ['click'] : ['pointerdown', 'mousedown', 'touchstart', 'click']).forEach(function (type) {
            box.addEventListener(type, function (e) { e.stopPropagation(); });
        });
        box.appendChild(view);
        pageEl.appendChild(box);
    });
}
