// Print, full screen, background music, the page-turn sound and automatic turning.
import { Player } from './player.js';
import { h, icon, root } from './dom.js';
import { runAutoPlay } from './autoplay.js';

// -- print, full screen, sound -----------------------------------------------------------

// The sheet printed instead of the interface: the open pages, one to a paper page.
Player.prototype.printSheet = function (which) {
    var self = this;
    var sheet = h('div', { className: 'lc-print' });
    this.visiblePages().forEach(function (n) {
        sheet.appendChild(h('img', { src: self.cfg.pages[n - 1][which] || '', alt: self.t('page', n) }));
    });
    document.body.appendChild(sheet);
    return sheet;
};

Player.prototype.print = function () {
    var sheet = this.printSheet('large');
    this.printing = true;
    var self = this;
    var imgs = Array.prototype.slice.call(sheet.querySelectorAll('img'));
    Promise.all(imgs.map(function (i) { return i.decode().catch(function () {}); })).then(function () {
        root.print();
        sheet.remove();
        self.printing = false;
    });
};

// Printing from the browser's menu: the pictures already shown are printed.
Player.prototype.bindPrint = function () {
    var self = this, sheet = null;
    root.addEventListener('beforeprint', function () {
        if (!self.printing && !sheet) sheet = self.printSheet('normal');
    });
    root.addEventListener('afterprint', function () {
        if (sheet) sheet.remove();
        sheet = null;
    });
};

Player.prototype.toggleFullScreen = function () {
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    else document.documentElement.requestFullscreen().catch(function () {});
};

Player.prototype.userActed = function () {
    this.audioAllowed = true;
    if (this.music && this.musicWanted && this.music.paused) this.music.play().catch(function () {});
};

Player.prototype.startMusic = function () {
    if (!this.cfg.music.src) return;
    this.music = new Audio();
    this.music.loop = this.cfg.music.loop;
    this.music.preload = 'auto';
    this.music.src = this.cfg.music.src;
    this.musicWanted = true;
    this.music.play().catch(function () {}); // browsers may wait for the first gesture
    this.soundButton.setAttribute('aria-pressed', 'true');
};

Player.prototype.toggleMusic = function () {
    if (!this.music) return;
    this.musicWanted = !this.musicWanted;
    if (this.musicWanted) this.music.play().catch(function () {});
    else this.music.pause();
    this.soundButton.setAttribute('aria-pressed', String(this.musicWanted));
};

// A short rustle made on the fly: the book needs no sound file for it.
Player.prototype.playFlipSound = function () {
    if (!this.cfg.flipSound || !this.audioAllowed || !this.flipMs) return;
    var Ctx = root.AudioContext || root.webkitAudioContext;
    if (!Ctx) return;
    try {
        var ctx = this.audio || (this.audio = new Ctx());
        var len = Math.floor(ctx.sampleRate * 0.35);
        var buf = ctx.createBuffer(1, len, ctx.sampleRate);
        var d = buf.getChannelData(0);
        var seed = 12345;
        for (var i = 0; i < len; i++) {
            seed = (seed * 1103515245 + 12345) & 0x7fffffff;
            var env = Math.sin(Math.PI * i / len) * Math.pow(1 - i / len, 1.5);
            d[i] = ((seed / 0x7fffffff) * 2 - 1) * env * 0.35;
        }
        var src = ctx.createBufferSource();
        src.buffer = buf;
        var filter = ctx.createBiquadFilter();
        filter.type = 'bandpass';
        filter.frequency.value = 2400;
        filter.Q.value = 0.6;
        src.connect(filter);
        filter.connect(ctx.destination);
        src.start();
    } catch (e) { /* sound is a nicety */ }
};

// Auto-flip: turns a page every interval; at the end it starts again from the first page
// `loop` more times (a negative count: for ever), then stops.
Player.prototype.setAutoPlay = function (on) {
    var self = this;
    runAutoPlay(this, on, function () { return self.viewOf(self.current).pages.indexOf(self.cfg.pages.length) >= 0; });
    if (this.autoButton) {
        this.autoButton.setAttribute('aria-pressed', String(on));
        this.autoButton.replaceChild(icon(on ? 'AutoPause' : 'AutoPlay'), this.autoButton.firstChild);
    }
};
