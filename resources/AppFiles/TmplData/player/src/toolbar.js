// The tool bar: page navigation and the tools the book's configuration leaves visible.
import { Player } from './player.js';
import { h, icon } from './dom.js';

Player.prototype.buildToolbar = function () {
    var self = this, cfg = this.cfg, t = this.t;
    var bar = h('nav', { className: 'lc-toolbar', 'aria-label': this.t('bookControls') });
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
    nav.appendChild(button('first', t('first'), function () { this.goToPage(1); }));
    nav.appendChild(button('prev', t('prev'), function () { this.prev(); }));
    this.pageInput = h('input', { className: 'lc-page-input', type: 'text', inputmode: 'numeric',
        'aria-label': t('pageNumber'), size: '4' });
    this.pageInput.addEventListener('change', function () {
        var n = parseInt(self.pageInput.value, 10);
        if (n >= 1) self.goToPage(n);
        else self.updateIndicator();
    });
    this.pageInput.addEventListener('keydown', function (e) { e.stopPropagation(); if (e.key === 'Enter') self.pageInput.blur(); });
    this.pageCountEl = h('span', { className: 'lc-page-count', text: '/ ' + cfg.pages.length });
    nav.appendChild(h('span', { className: 'lc-indicator', dir: 'ltr' }, [this.pageInput, this.pageCountEl]));
    nav.appendChild(button('next', t('next'), function () { this.next(); }));
    nav.appendChild(button('last', t('last'), function () { this.goToPage(cfg.pages.length); }));

    var tools = h('div', { className: 'lc-group lc-tools' });
    tools.appendChild(button('Thumbnail', t('thumbnails'), function () { this.togglePanel('thumbnails'); }));
    tools.appendChild(button('Bookmark', t('contents'), function () { this.togglePanel('contents'); }));
    tools.appendChild(button('Search', t('search'), function () { this.togglePanel('search'); }));
    tools.appendChild(button('Zoom', t('zoom'), function () { this.zoomEl ? this.closeZoom() : this.openZoom(); }));
    var tilt = button('TiltAngle', t('tilt', this.tiltAngle()), function () { this.tilted = !this.tilted; this.applyTilt(); });
    // The angle shows on the button; its name is the label with that same angle.
    tilt.classList.add('lc-button-wide');
    tilt.removeAttribute('aria-label');
    tilt.appendChild(h('span', { className: 'lc-sr-only', text: t('tilt', '').replace(/\s*[(（][^)）]*[)）]\s*$/, '') }));
    tilt.appendChild(h('span', { className: 'lc-button-value', text: ' ' + this.tiltAngle() + '°' }));
    tools.appendChild(tilt);
    this.autoButton = button('AutoPlay', t('autoPlay'), function () { this.setAutoPlay(!this.autoTimer); });
    tools.appendChild(this.autoButton);
    this.soundButton = button('BackgroundSound', t('music'), function () { this.toggleMusic(); });
    if (!cfg.music.src) this.soundButton.hidden = true;
    tools.appendChild(this.soundButton);
    var fsButton = button('FullScreen', t('fullScreen'), function () { this.toggleFullScreen(); });
    if (!document.fullscreenEnabled) fsButton.hidden = true;
    tools.appendChild(fsButton);
    tools.appendChild(button('Print', t('print'), function () { this.print(); }));
    tools.appendChild(button('Share', t('share'), function () { this.share(); }));
    if (cfg.download && !cfg.hidden.Download) {
        var dl = h('a', { className: 'lc-button', href: cfg.download, download: '', title: t('download'),
            'aria-label': t('download'), 'data-lc-button': 'Download' }, [icon('Download')]);
        tools.appendChild(dl);
    } else {
        tools.appendChild(h('a', { className: 'lc-button', hidden: true, 'data-lc-button': 'Download' }));
    }
    tools.appendChild(button('Info', t('info'), function () { this.showInfo(); }));
    tools.appendChild(button('Help', t('help'), function () { this.showHelp(); }));
    bar.appendChild(nav);
    bar.appendChild(tools);
    this.toolbar = bar;
    this.host.appendChild(bar);
};
