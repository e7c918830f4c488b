// The book viewer: its state, start-up, the frame of the interface and its background. The other
// parts of the viewer (page view, turning, tool bar, panels, ...) add their methods to Player.
import { ContainerError } from './container.js';
import { configFromContainer, isYes, loadConfigText } from './config.js';
import { h, root } from './dom.js';
import { languageCode, translator } from './i18n.js';

var FLIP_MS = 650;

export function Player(host) {
    this.host = host;
    this.handlers = {};
    this.images = new Map(); // page number -> Image, the pictures kept loaded
    this.current = 1;
    this.mode = 'spread';
    this.flip = null;
    this.zoomLevel = 0;
    this.autoTimer = null;
    this.searchData = null;
    var self = this;
    this.ready = new Promise(function (resolve, reject) {
        self._resolveReady = resolve;
        self._rejectReady = reject;
    });
    this.ready.catch(function () {});
}

Player.prototype.emit = function (name, detail) {
    (this.handlers[name] || []).slice().forEach(function (fn) {
        try { fn(detail); } catch (e) { setTimeout(function () { throw e; }); }
    });
};

Player.prototype.start = function () {
    var self = this;
    var params = new URLSearchParams(location.search);
    this.flipMs = params.has('flipms') ? Math.max(0, parseInt(params.get('flipms'), 10) || 0) : FLIP_MS;
    if (root.matchMedia && root.matchMedia('(prefers-reduced-motion: reduce)').matches) this.flipMs = 0;
    this.setLanguage(params.get('lang'));
    return loadConfigText().then(configFromContainer).then(function (cfg) {
        self.cfg = cfg;
        self.setLanguage(params.get('lang') || cfg.language);
        if (params.has('rtl')) cfg.rtl = isYes(params.get('rtl'));
        if (!cfg.pages.length) throw ContainerError('the book has no pages');
        self.build();
        var start = parseInt(params.get('page') || (location.hash.match(/^#page=(\d+)/) || [])[1], 10);
        self.current = start >= 1 && start <= cfg.pages.length ? start : 1;
        self.layout();
        self.render();
        return self.whenPainted();
    }).then(function () {
        self.readyTime = performance.now();
        self._resolveReady(self.api);
        self.emit('ready', { page: self.current });
        self.startMusic();
        self.startAnalytics();
        if (self.cfg.autoFlip.enable) self.setAutoPlay(true);
    }).catch(function (err) {
        self.showFatal(err);
        self._rejectReady(err);
        self.emit('error', { message: String(err && err.message || err) });
    });
};

Player.prototype.showFatal = function (err) {
    var message = (err && err.message) || String(err);
    var box = h('div', { className: 'lc-fatal', role: 'alert' }, [
        h('h1', { text: this.t('cannotOpen') }),
        h('p', { text: message.charAt(0).toUpperCase() + message.slice(1) + '.' })
    ]);
    this.host.textContent = '';
    this.host.appendChild(box);
};

// The book's language: the words of the interface and <html lang>, which screen readers and
// browsers read the page text in.
Player.prototype.setLanguage = function (setting) {
    this.lang = languageCode(setting);
    this.t = translator(this.lang);
    document.documentElement.lang = this.lang;
};

// -- building the interface --------------------------------------------------------------

Player.prototype.build = function () {
    var self = this, cfg = this.cfg;
    var host = this.host;
    host.textContent = '';
    host.classList.add('lc-app');
    // The interface reads left to right; a right-to-left book mirrors its page order, its
    // page navigation and its thumbnails.
    host.classList.toggle('lc-rtl', cfg.rtl);
    host.style.setProperty('--lc-base', cfg.baseColor);
    host.style.setProperty('--lc-on-base', contrastText(cfg.baseColor));
    host.style.setProperty('--lc-flip-ms', this.flipMs + 'ms');

    this.background = h('div', { className: 'lc-background' });
    host.appendChild(this.background);
    this.applyBackground();

    var bar = h('header', { className: 'lc-topbar' });
    if (cfg.logo.src && cfg.logo.show) {
        var img = h('img', { src: cfg.logo.src, alt: cfg.logo.link ? cfg.author.name || cfg.logo.link : '', className: 'lc-logo-img' });
        img.addEventListener('error', function () { img.remove(); });
        var logo = cfg.logo.link
            ? h('a', { className: 'lc-logo', href: cfg.logo.link, target: '_blank', rel: 'noopener noreferrer' }, [img])
            : h('span', { className: 'lc-logo' }, [img]);
        bar.appendChild(logo);
    }
    this.titleEl = h('h1', { className: 'lc-title', text: cfg.title, dir: 'auto' });
    bar.appendChild(this.titleEl);
    host.appendChild(bar);

    this.stage = h('main', { className: 'lc-stage' });
    this.tiltEl = h('div', { className: 'lc-tilt' });
    this.bookEl = h('div', { className: 'lc-book', role: 'region', 'aria-label': this.t('bookPages') });
    // Says which pages are open after every move, for screen readers.
    this.statusEl = h('p', { className: 'lc-sr-only', role: 'status' });
    this.edgeLeft = h('div', { className: 'lc-edge lc-edge-left' });
    this.edgeRight = h('div', { className: 'lc-edge lc-edge-right' });
    this.slotLeft = h('div', { className: 'lc-slot lc-slot-left' });
    this.slotRight = h('div', { className: 'lc-slot lc-slot-right' });
    this.bookEl.appendChild(this.edgeLeft);
    this.bookEl.appendChild(this.edgeRight);
    this.bookEl.appendChild(this.slotLeft);
    this.bookEl.appendChild(this.slotRight);
    this.tiltEl.appendChild(this.bookEl);
    this.stage.appendChild(this.tiltEl);
    this.stage.appendChild(this.statusEl);
    host.appendChild(this.stage);
    this.tilted = cfg.tilt !== 0;
    this.applyTilt();

    this.buildToolbar();
    this.panel = h('aside', { className: 'lc-panel', hidden: true, 'aria-label': this.t('bookPanel') });
    host.appendChild(this.panel);
    this.dialogEl = h('div', { className: 'lc-dialog-backdrop', hidden: true });
    this.dialogEl.addEventListener('click', function (e) { if (e.target === self.dialogEl) self.closeDialog(); });
    host.appendChild(this.dialogEl);

    this.bindInput();
    this.bindPrint();
    var pending = false;
    root.addEventListener('resize', function () {
        if (pending) return;
        pending = true;
        requestAnimationFrame(function () {
            pending = false;
            var before = self.mode;
            self.layout();
            if (before !== self.mode) self.render();
            else self.centreBook(true);
            if (self.zoomEl) self.renderZoom();
        });
    });
    if (cfg.panorama && host.getAttribute('data-template') === 'Panoramic') this.buildPanorama();
};

// Relative luminance of a #rrggbb colour, as contrast ratios are defined on it.
function luminance(hex) {
    var n = parseInt(hex.slice(1), 16);
    return [(n >> 16) & 255, (n >> 8) & 255, n & 255].map(function (c) {
        c /= 255;
        return c <= 0.03928 ? c / 12.92 : Math.pow((c + 0.055) / 1.055, 2.4);
    }).reduce(function (sum, c, i) { return sum + c * [0.2126, 0.7152, 0.0722][i]; }, 0);
}

// Dark or white text, whichever contrasts more with the colour.
function contrastText(hex) {
    var l = luminance(hex);
    return (l + 0.05) / (0.0067 + 0.05) > 1.05 / (l + 0.05) ? '#111111' : '#ffffff';
}

Player.prototype.applyBackground = function () {
    var bg = this.cfg.background, s = this.background.style;
    var type = String(bg.type).toLowerCase();
    s.backgroundColor = bg.color;
    if (type.indexOf('image') >= 0 && bg.image) {
        var pos = String(bg.position).toLowerCase();
        s.backgroundImage = 'url("' + encodeURI(bg.image).replace(/"/g, '%22') + '")';
        s.backgroundRepeat = pos === 'tile' ? 'repeat' : 'no-repeat';
        s.backgroundPosition = pos === 'tile' ? 'left top' : 'center';
        s.backgroundSize = pos === 'fill' ? 'cover' : pos === 'fit' ? 'contain'
            : pos === 'stretch' ? '100% 100%' : 'auto';
    } else if (type.indexOf('gradient') >= 0) {
        // A gradient angle of 0 runs left to right and 90 top to bottom.
        s.backgroundImage = 'linear-gradient(' + (bg.angle + 90) + 'deg, ' + bg.start + ', ' + bg.end + ')';
    }
};

// The angle the tilt button leans the book by: the book's own, else 25 degrees.
Player.prototype.tiltAngle = function () {
    return this.cfg.tilt || 25;
};

Player.prototype.applyTilt = function () {
    var angle = this.tilted ? this.tiltAngle() : 0;
    this.tiltEl.style.transform = angle ? 'rotateX(' + angle + 'deg)' : '';
    var b = this.toolbar && this.toolbar.querySelector('[data-lc-button="TiltAngle"]');
    if (b) b.setAttribute('aria-pressed', String(!!angle));
};

Player.prototype.closeAll = function () {
    if (this.dialogEl && !this.dialogEl.hidden) return this.closeDialog();
    if (this.zoomEl) return this.closeZoom();
    if (!this.panel.hidden) return this.togglePanel(null);
};
