// Dialogs: about this book, help and share.
import { Player } from './player.js';
import { h, icon } from './dom.js';
import { safeUrl } from './config.js';

// -- dialogs -----------------------------------------------------------------------------

Player.prototype.openDialog = function (title, body) {
    var self = this;
    this.dialogEl.textContent = '';
    var box = h('div', { className: 'lc-dialog', role: 'dialog', 'aria-modal': 'true', 'aria-label': title }, [
        h('div', { className: 'lc-panel-head' }, [
            h('h2', { text: title }),
            h('button', { type: 'button', className: 'lc-button lc-close', 'aria-label': 'Close', title: 'Close',
                onclick: function () { self.closeDialog(); } }, [icon('close')])
        ])
    ].concat(body));
    this.dialogEl.appendChild(box);
    this.dialogEl.hidden = false;
    var close = box.querySelector('.lc-close');
    if (close) close.focus();
};

Player.prototype.closeDialog = function () {
    this.dialogEl.hidden = true;
    this.dialogEl.textContent = '';
};

Player.prototype.showInfo = function () {
    var a = this.cfg.author, rows = [];
    rows.push(h('p', { className: 'lc-info-title', text: this.cfg.title, dir: 'auto' }));
    if (a.name) rows.push(h('p', null, [document.createTextNode('By '), h('bdi', { text: a.name })]));
    var email = a.email && safeUrl('mailto:' + a.email);
    if (email) rows.push(h('p', null, [h('a', { href: email, text: a.email })]));
    var site = a.website && safeUrl(/^[a-z][a-z0-9+.-]*:/i.test(a.website) ? a.website : 'http://' + a.website);
    if (site) rows.push(h('p', null, [h('a', { href: site, target: '_blank', rel: 'noopener noreferrer', text: a.website })]));
    if (a.info) rows.push(h('p', { className: 'lc-info-text', text: a.info, dir: 'auto' }));
    rows.push(h('p', { className: 'lc-info-pages', text: this.cfg.pages.length + ' pages' }));
    this.openDialog('About this book', rows);
};

Player.prototype.showHelp = function () {
    var keys = [
        ['→ / ←', this.cfg.rtl ? 'previous / next page' : 'next / previous page'],
        ['Page Down / Page Up', 'next / previous page'],
        ['Home / End', 'first / last page'],
        ['+ / −', 'zoom in / out'],
        ['Escape', 'close zoom, panels and dialogs'],
        ['Swipe or click a page', 'turn the page']
    ];
    var dl = h('dl', { className: 'lc-help' });
    keys.forEach(function (k) {
        dl.appendChild(h('dt', { text: k[0] }));
        dl.appendChild(h('dd', { text: k[1] }));
    });
    this.openDialog('Help', [dl]);
};

Player.prototype.share = function () {
    var url = location.href.replace(/#.*$/, '') + '#page=' + this.current;
    var title = this.cfg.title;
    if (navigator.share && /^https?:$/.test(location.protocol)) {
        navigator.share({ title: title, url: url }).catch(function () {});
        return;
    }
    var field = h('input', { type: 'text', className: 'lc-share-url', readonly: true, value: url,
        'aria-label': 'Link to this page' });
    var copy = h('button', { type: 'button', className: 'lc-text-button', text: 'Copy link' });
    copy.addEventListener('click', function () {
        field.select();
        var done = function () { copy.textContent = 'Copied'; };
        if (navigator.clipboard) navigator.clipboard.writeText(url).then(done, function () { document.execCommand('copy'); done(); });
        else { document.execCommand('copy'); done(); }
    });
    var mail = h('a', { className: 'lc-text-button',
        href: 'mailto:?subject=' + encodeURIComponent(title) + '&body=' + encodeURIComponent(url), text: 'Send by e-mail' });
    this.openDialog('Share', [field, h('p', null, [copy, mail])]);
};
