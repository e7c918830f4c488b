// The book a phone player shows: the book's own configuration (../files/config.js, or
// ../files/config.xml from a web server) read by the book player's reader, so that links,
// contents, search, direction, base colour and auto play are those of the book, and the phone
// settings the publisher appends (`bookConfig`: the phone pictures, title, logo, background).
// Without a readable configuration the book still shows its phone pictures.
import { configFromContainer } from '../../player/src/config.js';
import { root } from '../../player/src/dom.js';
import { makeApi } from '../../player/src/bookapi.js';
import { loadSearchText, pagesMatching } from '../../player/src/searchtext.js';
import { runAutoPlay } from '../../player/src/autoplay.js';
import { PhoneFrame } from './ui.js';
import './touch.js';
import { setLanguage, text } from './strings.js';

var BOOK = '../';

// A book address (relative to the book folder) as seen from mobile/.
function fromPhone(url) {
    if (!url || /^[a-zA-Z][a-zA-Z0-9+.-]*:/.test(url) || url.charAt(0) === '/') return url;
    return BOOK + url;
}

function settings() {
    /* global bookConfig */
    var s = typeof bookConfig === 'object' && bookConfig ? bookConfig : {};
    var count = Math.max(0, Math.min(100000, Math.floor(Number(s.totalPageCount) || 0)));
    var numbers = Array.isArray(s.pageNumbers) && s.pageNumbers.length ? s.pageNumbers : null;
    var pictures = Array.isArray(s.pictures) ? s.pictures.filter(function (p) { return typeof p === 'string'; }) : [];
    var folder = typeof s.largePath === 'string' ? s.largePath : BOOK + 'files/mobile/';
    var list = [];
    for (var i = 0; i < (numbers ? numbers.length : count); i++) {
        list.push(pictures[i] || folder + (numbers ? numbers[i] : i + 1) + '.jpg');
    }
    return { raw: s, pictures: list };
}

function loadConfig() {
    if (typeof root.LeafcraftConfigXML === 'string') return Promise.resolve(root.LeafcraftConfigXML);
    if (/^https?:$/.test(location.protocol)) {
        return fetch(BOOK + 'files/config.xml').then(function (r) {
            if (!r.ok) throw new Error('no configuration');
            return r.text();
        });
    }
    return Promise.reject(new Error('no configuration'));
}

// The model: cfg as the book player has it (pages with phone, normal, large and thumb pictures
// as seen from mobile/), plus the phone settings.
export function loadBook() {
    var s = settings();
    return loadConfig().then(configFromContainer).then(function (cfg) {
        cfg.pages.forEach(function (page, i) {
            page.normal = fromPhone(page.normal);
            page.large = fromPhone(page.large);
            page.thumb = fromPhone(page.thumb);
            page.phone = s.pictures[i] || page.normal;
        });
        if (cfg.logo) cfg.logo.src = fromPhone(cfg.logo.src);
        return cfg;
    }, function () {
        // Only the phone pictures: no links, contents or search.
        return {
            title: String(s.raw.bookTitle || ''), rtl: s.raw.RightToLeft === 'Yes', baseColor: '',
            outline: [], pageWidth: Number(s.raw.largePageWidth) || 0, pageHeight: Number(s.raw.largePageHeight) || 0,
            autoFlip: { enable: s.raw.enableAutoPlay === 'Yes', interval: Math.max(1, Number(s.raw.autoPlayDuration) || 3),
                loop: parseInt(s.raw.autoPlayLoopCount, 10) || 0 },
            pages: s.pictures.map(function (p) { return { phone: p, normal: p, large: p, thumb: p, links: [] }; })
        };
    }).then(function (cfg) {
        cfg.phone = s.raw;
        setLanguage(cfg.language || s.raw.language);
        if (s.raw.RightToLeft === 'Yes') cfg.rtl = true;
        return cfg;
    });
}

// What both phone players share: start-up, the state the public object reads, events, search
// and auto play. A player adds begin() (builds its stage for this.cfg and shows this.current),
// show(n, forward) (draws page n; returns a promise), redraw() (its links and search marks again)
// and turnSide(side), and may override visiblePages().
export function PhoneBook() {
    var self = this;
    this.handlers = {};
    this.current = 1;
    this.cfg = null;
    this.ready = new Promise(function (resolve, reject) { self._ready = resolve; self._failed = reject; });
    this.ready.catch(function () {});
    root.LeafcraftBook = makeApi(this);
}

PhoneBook.prototype.start = function () {
    var self = this;
    loadBook().then(function (cfg) {
        if (!cfg.pages.length) throw new Error('the book has no pages');
        self.cfg = cfg;
        self.frame = new PhoneFrame(self);
        self.frame.build();
        var wanted = parseInt((/^#(?:p|page)=(\d+)$/.exec(location.hash) || [])[1], 10);
        self.current = wanted >= 1 && wanted <= cfg.pages.length ? wanted : 1;
        self.begin();
        self.started(cfg);
    }).catch(function (err) { self.failed(err); });
};

// 'left' and 'right' are places on the screen; which way they turn follows the reading direction.
PhoneBook.prototype.turnSide = function (side) {
    return (side === 'right') !== !!this.cfg.rtl ? this.next() : this.prev();
};

PhoneBook.prototype.emit = function (name, detail) {
    (this.handlers[name] || []).slice().forEach(function (fn) {
        try { fn(detail); } catch (e) { setTimeout(function () { throw e; }); }
    });
};

PhoneBook.prototype.started = function (cfg) {
    this.cfg = cfg;
    this.readyTime = performance.now();
    document.body.dataset.ready = '1';
    this._ready(this.api);
    this.emit('ready', { page: this.current });
    if (cfg.autoFlip && cfg.autoFlip.enable) this.setAutoPlay(true);
};

PhoneBook.prototype.failed = function (err) {
    this._failed(err);
    this.emit('error', { message: String(err && err.message || err) });
};

PhoneBook.prototype.visiblePages = function () { return [this.current]; };

PhoneBook.prototype.goToPage = function (n) {
    var count = this.cfg.pages.length;
    n = Math.max(1, Math.min(count, Math.round(n) || 1));
    if (n === this.current) return Promise.resolve(n);
    var forward = n > this.current;
    this.current = n;
    var done = this.show(n, forward);
    this.emit('pagechange', { page: n, pages: this.visiblePages() });
    var self = this;
    return Promise.resolve(done).then(function () { return self.current; });
};

PhoneBook.prototype.next = function () { return this.goToPage(this.current + 1); };
PhoneBook.prototype.prev = function () { return this.goToPage(this.current - 1); };

PhoneBook.prototype.loadSearch = function () {
    var self = this;
    if (!this.searchLoad) {
        this.searchLoad = loadSearchText(BOOK + 'files/search/search.js', text).then(function (data) {
            self.searchData = data;
            return data;
        });
        this.searchLoad.catch(function () { self.searchLoad = null; });
    }
    return this.searchLoad;
};

PhoneBook.prototype.search = function (q) {
    var count = this.cfg.pages.length;
    return this.loadSearch().then(function (data) { return pagesMatching(data.index, q, count); });
};

// Turns a page every interval; at the end starts again from the first page `loop` more times
// (a negative count: for ever), then stops: as the book player does.
PhoneBook.prototype.setAutoPlay = function (on) {
    var self = this;
    runAutoPlay(this, on, function () { return self.current >= self.cfg.pages.length; });
    this.emit('autoplay', { on: !!on });
};
