// Dialogs: about this book, help and share.
import { Player } from './player.js';
import { h, icon, keepFocusIn } from './dom.js';
import { safeUrl } from './config.js';

// -- dialogs -----------------------------------------------------------------------------

Player.prototype.openDialog = function (title, body) {
    var self = this;
    if (this.dialogEl.hidden) this.dialogOpener = document.activeElement;
    this.dialogEl.textContent = '';
    var box = h('div', { className: 'lc-dialog', role: 'dialog', 'aria-modal': 'true', 'aria-label': title }, [
        h('div', { className: 'lc-panel-head' }, [
            h('h2', { text: title }),
            h('button', { type: 'button', className: 'lc-button lc-close', 'aria-label': self.t('close'), title: self.t('close'),
                onclick: function () { self.closeDialog(); } }, [icon('close')])
        ])
    ].concat(body));
    keepFocusIn(box);
    this.dialogEl.appendChild(box);
    this.dialogEl.hidden = false;
    var close = box.querySelector('.lc-close');
    if (close) close.focus();
};

Player.prototype.closeDialog = function () {
    this.dialogEl.hidden = true;
    this.dialogEl.textContent = '';
    // Focus goes back to where it was, usually the button that opened the dialog.
    if (this.dialogOpener && this.dialogOpener.isConnected) this.dialogOpener.focus();
    this.dialogOpener = null;
};

Player.prototype.showInfo = function () {
    var a = this.cfg.author, rows = [];
    rows.push(h('p', { className: 'lc-info-title', text: this.cfg.title, dir: 'auto' }));
    if (a.name) rows.push(h('p', null, [document.createTextNode(this.t('by', '')), h('bdi', { text: a.name })]));
    var email = a.email && safeUrl('mailto:' + a.email);
    if (email) rows.push(h('p', null, [h('a', { href: email, text: a.email })]));
    var site = a.website && safeUrl(/^[a-z][a-z0-9+.-]*:/i.test(a.website) ? a.website : 'http://' + a.website);
    if (site) rows.push(h('p', null, [h('a', { href: site, target: '_blank', rel: 'noopener noreferrer', text: a.website })]));
    if (a.info) rows.push(h('p', { className: 'lc-info-text', text: a.info, dir: 'auto' }));
    rows.push(h('p', { className: 'lc-info-pages', text: this.t('pageCount', this.cfg.pages.length) }));
    this.openDialog(this.t('info'), rows);
};

Player.prototype.showHelp = function () {
    var t = this.t;
    var keys = [
        ['→ / ←', t(this.cfg.rtl ? 'keyPrevNext' : 'keyNextPrev')],
        [t('keyPages'), t('keyNextPrev')],
        [t('keyHomeEnd'), t('keyFirstLast')],
        ['+ / −', t('keyZoom')],
        [t('keyEsc'), t('keyEscape')],
        this.cfg.hidden.Print ? null : [t('keyPrint'), t('print')],
        [t('swipe'), t('turnPage')]
    ].filter(Boolean);
    var dl = h('dl', { className: 'lc-help' });
    keys.forEach(function (k) {
        dl.appendChild(h('dt', { text: k[0] }));
        dl.appendChild(h('dd', { text: k[1] }));
    });
    this.openDialog(t('help'), [dl]);
};

Player.prototype.share = function () {
    var t = this.t;
    var url = location.href.replace(/#.*$/, '') + '#page=' + this.current;
    var title = this.cfg.title;
    if (navigator.share && /^https?:$/.test(location.protocol)) {
        navigator.share({ title: title, url: url }).catch(function () {});
        return;
    }
    var field = h('input', { type: 'text', className: 'lc-share-url', readonly: true, value: url,
        'aria-label': t('linkToPage') });
    var copy = h('button', { type: 'button', className: 'lc-text-button', text: t('copyLink') });
    copy.addEventListener('click', function () {
        field.select();
        var done = function () { copy.textContent = t('copied'); };
        if (navigator.clipboard) navigator.clipboard.writeText(url).then(done, function () { document.execCommand('copy'); done(); });
        else { document.execCommand('copy'); done(); }
    });
    var mail = h('a', { className: 'lc-text-button',
        href: 'mailto:?subject=' + encodeURIComponent(title) + '&body=' + encodeURIComponent(url), text: t('sendEmail') });
    var row = h('p', null, [copy, mail]);
    // Plain links to share a book on the web: nothing is loaded before the reader clicks one.
    if (/^https?:$/.test(location.protocol)) {
        var u = encodeURIComponent(url), tt = encodeURIComponent(title);
        [['X', 'https://twitter.com/intent/tweet?url=' + u + '&text=' + tt],
            ['Facebook', 'https://www.facebook.com/sharer/sharer.php?u=' + u],
            ['LinkedIn', 'https://www.linkedin.com/sharing/share-offsite/?url=' + u]].forEach(function (s) {
            row.appendChild(h('a', { className: 'lc-text-button', href: s[1], target: '_blank',
                rel: 'noopener noreferrer', text: s[0], title: t('shareOn', s[0]) }));
        });
    }
    this.openDialog(t('share'), [field, row]);
};
