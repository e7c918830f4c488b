// The tool bar: page navigation and the tools the book's configuration leaves visible.
import { Player } from './player.js';
import { h, icon } from './dom.js';

Player.prototype.buildToolbar = function () {
    var self = this, cfg = this.cfg;
    var bar = h('nav', { className: 'lc-toolbar', 'aria-label': 'Book controls' });
    function button(key, label, action, extra) {
        var b = h('button', { type: 'button', className: 'lc-button', title: label, 'aria-label': label,
            'data-lc-button': key }, [icon(key)]);
        if (extra) Object.keys(extra).forEach(function (k) { b.setAttribute(k, extra[k]); });
        b.addEventListener('click', function (e) { e.stopPropagation(); action.call(self, b); });
        if (cfg.hidden[key]) b.hidden = true;
        return b;
    }
    var nav = h('div', { className: 'lc-group lc-nav', dir: cfg.rtl ? 'rtl' : 'ltr' });
    // Visual order: in a right-to-left book the first page is at the right end.
    nav.appendChild(button('first', 'First page', function () { this.goToPage(1); }));
    nav.appendChild(button('prev', 'Previous page', function () { this.prev(); }));
    this.pageInput = h('input', { className: 'lc-page-input', type: 'text', inputmode: 'numeric',
        'aria-label': 'Page number', size: '4' });
    this.pageInput.addEventListener('change', function () {
        var n = parseInt(self.pageInput.value, 10);
        if (n >= 1) self.goToPage(n);
        else self.updateIndicator();
    });
    this.pageInput.addEventListener('keydown', function (e) { e.stopPropagation(); if (e.key === 'Enter') self.pageInput.blur(); });
    this.pageCountEl = h('span', { className: 'lc-page-count', text: '/ ' + cfg.pages.length });
    nav.appendChild(h('span', { className: 'lc-indicator', dir: 'ltr' }, [this.pageInput, this.pageCountEl]));
    nav.appendChild(button('next', 'Next page', function () { this.next(); }));
    nav.appendChild(button('last', 'Last page', function () { this.goToPage(cfg.pages.length); }));

    var tools = h('div', { className: 'lc-group lc-tools' });
    tools.appendChild(button('Thumbnail', 'Thumbnails', function () { this.togglePanel('thumbnails'); }));
    tools.appendChild(button('Bookmark', 'Table of contents', function () { this.togglePanel('contents'); }));
    tools.appendChild(button('Search', 'Search', function () { this.togglePanel('search'); }));
    tools.appendChild(button('Zoom', 'Zoom', function () { this.zoomEl ? this.closeZoom() : this.openZoom(); }));
    tools.appendChild(button('TiltAngle', 'Tilt the book', function () { this.tilted = !this.tilted; this.applyTilt(); }));
    this.autoButton = button('AutoPlay', 'Turn the pages automatically', function () { this.setAutoPlay(!this.autoTimer); });
    tools.appendChild(this.autoButton);
    this.soundButton = button('BackgroundSound', 'Background music', function () { this.toggleMusic(); });
    if (!cfg.music.src) this.soundButton.hidden = true;
    tools.appendChild(this.soundButton);
    var fsButton = button('FullScreen', 'Full screen', function () { this.toggleFullScreen(); });
    if (!document.fullscreenEnabled) fsButton.hidden = true;
    tools.appendChild(fsButton);
    tools.appendChild(button('Print', 'Print these pages', function () { this.print(); }));
    tools.appendChild(button('Share', 'Share', function () { this.share(); }));
    if (cfg.download && !cfg.hidden.Download) {
        var dl = h('a', { className: 'lc-button', href: cfg.download, download: '', title: 'Download',
            'aria-label': 'Download', 'data-lc-button': 'Download' }, [icon('Download')]);
        tools.appendChild(dl);
    } else {
        tools.appendChild(h('a', { className: 'lc-button', hidden: true, 'data-lc-button': 'Download' }));
    }
    tools.appendChild(button('Info', 'About this book', function () { this.showInfo(); }));
    tools.appendChild(button('Help', 'Help', function () { this.showHelp(); }));
    bar.appendChild(nav);
    bar.appendChild(tools);
    this.toolbar = bar;
    this.host.appendChild(bar);
};
