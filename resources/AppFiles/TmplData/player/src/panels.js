// The side panel: thumbnails and contents (search is in search.js).
import { Player } from './player.js';
import { h, icon, root } from './dom.js';

// -- side panel: thumbnails, contents, search --------------------------------------------

// Closing the search (or opening another panel) takes its marks off the pages; `keepHits`: the
// panel closes because one of its hits was chosen, whose marks stay.
Player.prototype.togglePanel = function (kind, keepHits) {
    var open = kind && this.panelKind !== kind;
    var before = this.panelKind;
    if (before === 'search' && this.hitQuery && !keepHits) {
        this.hitQuery = '';
        this.markHits();
    }
    this.panelKind = open ? kind : null;
    this.panel.hidden = !open;
    if (this.host.classList.contains('lc-beside') !== !!open) {
        this.host.classList.toggle('lc-beside', !!open);
        var mode = this.mode;
        this.layout();
        if (mode !== this.mode) this.render();
        else this.centreBook(true);
    }
    var buttons = { thumbnails: 'Thumbnail', contents: 'Bookmark', search: 'Search' };
    var tb = this.toolbar;
    Object.keys(buttons).forEach(function (k) {
        var b = tb.querySelector('[data-lc-button="' + buttons[k] + '"]');
        if (b) b.setAttribute('aria-pressed', String(open && k === kind));
    });
    if (!open) {
        // Focus goes back to the button that opened the panel.
        var opener = before && tb.querySelector('[data-lc-button="' + buttons[before] + '"]');
        if (opener && (this.panel.contains(document.activeElement) || document.activeElement === document.body)) opener.focus();
        return;
    }
    this.panel.textContent = '';
    var self = this;
    var head = h('div', { className: 'lc-panel-head' }, [
        h('h2', { text: this.t(kind === 'thumbnails' ? 'pages' : kind === 'contents' ? 'contents' : 'search') }),
        h('button', { type: 'button', className: 'lc-button lc-close', 'aria-label': this.t('close'), title: this.t('close'),
            onclick: function () { self.togglePanel(null); } }, [icon('close')])
    ]);
    this.panel.appendChild(head);
    if (kind === 'thumbnails') this.buildThumbnails();
    else if (kind === 'contents') this.buildContents();
    else return this.buildSearch();
    // Focus moves into the panel: to the current page's thumbnail, else the first control.
    var target = this.panel.querySelector('.lc-thumb.lc-current, .lc-toc-item:not(:disabled)') || head.querySelector('button');
    target.focus({ preventScroll: kind !== 'thumbnails' });
};

Player.prototype.buildThumbnails = function () {
    var self = this;
    var list = h('ol', { className: 'lc-thumbs', dir: this.cfg.rtl ? 'rtl' : 'ltr' });
    var observer = 'IntersectionObserver' in root ? new IntersectionObserver(function (entries) {
        entries.forEach(function (en) {
            if (!en.isIntersecting) return;
            var img = en.target;
            img.src = img.getAttribute('data-src');
            observer.unobserve(img);
        });
    }, { root: this.panel, rootMargin: '300px' }) : null;
    var aspect = this.aspect || 0.75;
    this.cfg.pages.forEach(function (page, i) {
        var n = i + 1;
        var img = h('img', { alt: '', 'data-src': page.thumb || '', draggable: 'false' });
        img.style.aspectRatio = page.width > 0 ? String(page.width / page.height) : String(aspect);
        if (observer) observer.observe(img); else img.src = page.thumb || '';
        var b = h('button', { type: 'button', className: 'lc-thumb', 'data-page': String(n),
            'aria-label': self.t('page', n) }, [img, h('span', { text: String(n) })]);
        b.addEventListener('click', function () { self.goToPage(n); });
        list.appendChild(h('li', null, [b]));
    });
    this.thumbList = list;
    this.panel.appendChild(list);
    this.markThumbnail(true);
};

Player.prototype.markThumbnail = function (scroll) {
    if (!this.thumbList || this.panel.hidden || this.panelKind !== 'thumbnails') return;
    var pages = this.visiblePages();
    var marked = this.thumbList.querySelectorAll('.lc-current');
    for (var i = 0; i < marked.length; i++) marked[i].classList.remove('lc-current');
    var first = null;
    pages.forEach(function (n) {
        var b = this.thumbList.querySelector('[data-page="' + n + '"]');
        if (b) { b.classList.add('lc-current'); first = first || b; }
    }, this);
    if (scroll && first) first.scrollIntoView({ block: 'center' });
};

Player.prototype.buildContents = function () {
    var self = this, count = this.cfg.pages.length;
    if (!this.cfg.outline.length) {
        this.panel.appendChild(h('p', { className: 'lc-empty-note', text: this.t('noContents') }));
        return;
    }
    function list(items) {
        var ul = h('ul', { className: 'lc-toc' });
        items.forEach(function (item) {
            // An entry whose page is not in this book (page 0) stays in the list, disabled.
            var inBook = item.page > 0 && item.page <= count;
            var b = h('button', { type: 'button', className: 'lc-toc-item', 'data-page': String(item.page),
                disabled: !inBook, title: inBook ? null : self.t('notInBook') }, [
                h('span', { className: 'lc-toc-caption', text: item.caption, dir: 'auto' }),
                h('span', { className: 'lc-toc-page', text: inBook ? String(item.page) : '' })
            ]);
            b.addEventListener('click', function () { if (inBook) self.goToPage(item.page); });
            ul.appendChild(h('li', null, [b, item.children.length ? list(item.children) : null]));
        });
        return ul;
    }
    this.panel.appendChild(list(this.cfg.outline));
};
