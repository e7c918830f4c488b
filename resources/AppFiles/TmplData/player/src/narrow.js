// The book in a window too narrow for the whole tool bar (a phone held upright, a small
// window): the bar keeps page turning, contents, search and a "More" button whose menu holds every other tool; a side panel closes once a
// page is chosen in it, and a touch on the page that closes a panel turns no page.
import { Player } from './player.js';
import { h, icon, root } from './dom.js';
import css from './narrow.css';

var NARROW = '(max-width: 760px)';
// The tools that stay in the bar; the rest move into the menu.
var KEPT = ['prev', 'next', 'Bookmark', 'Search', 'More'];

function isNarrow() { return !!(root.matchMedia && root.matchMedia(NARROW).matches); }

var buildToolbar = Player.prototype.buildToolbar;
Player.prototype.buildToolbar = function () {
    var self = this;
    buildToolbar.call(this);
    if (!document.getElementById('lc-narrow-style')) {
        document.head.appendChild(h('style', { id: 'lc-narrow-style', text: css }));
    }
    var more = h('button', { type: 'button', className: 'lc-button lc-more', title: this.t('more'), 'aria-label': this.t('more'),
        'aria-haspopup': 'menu', 'aria-expanded': 'false', 'data-lc-button': 'More' }, [icon('more')]);
    more.addEventListener('click', function (e) { e.stopPropagation(); self.toggleMenu(); });
    this.toolbar.querySelector('.lc-tools').appendChild(more);
    this.toolbar.querySelectorAll('[data-lc-button]').forEach(function (b) {
        if (KEPT.indexOf(b.getAttribute('data-lc-button')) >= 0) b.classList.add('lc-kept');
    });
    this.menuEl = h('div', { className: 'lc-menu', role: 'menu', hidden: true });
    this.host.appendChild(this.menuEl);
    this.host.addEventListener('click', function (e) {
        var chosen = e.target.closest && e.target.closest('.lc-panel [data-page]');
        if (chosen && isNarrow() && !chosen.disabled && chosen.getAttribute('data-page') !== '0') {
            setTimeout(function () { self.togglePanel(null, true); });
        }
        if (!self.menuEl.hidden && !e.target.closest('.lc-menu, .lc-more')) self.toggleMenu(false);
    });
    // A touch on the stage while a panel or the menu is open only closes it.
    var swallow = false;
    this.host.addEventListener('pointerdown', function (e) {
        swallow = !!(e.target.closest('.lc-stage') && (!self.menuEl.hidden || (self.panel && !self.panel.hidden)));
        if (!swallow) return;
        e.stopPropagation();
        self.toggleMenu(false);
        self.togglePanel(null);
    }, true);
    this.host.addEventListener('pointerup', function (e) {
        if (swallow) e.stopPropagation();
        swallow = false;
    }, true);
};

// Opens (or with `open` false closes) the menu of the tools the narrow bar leaves out: one item
// per tool the book shows, which runs that tool and closes the menu.
Player.prototype.toggleMenu = function (open) {
    var self = this, menu = this.menuEl;
    open = open === undefined ? menu.hidden : open;
    menu.hidden = !open;
    this.toolbar.querySelector('.lc-more').setAttribute('aria-expanded', String(open));
    if (!open) return;
    menu.textContent = '';
    this.toolbar.querySelectorAll('[data-lc-button]:not(.lc-kept)').forEach(function (tool) {
        if (tool.hidden) return;
        var item = h('button', { type: 'button', className: 'lc-menu-item', role: 'menuitem',
            'data-lc-item': tool.getAttribute('data-lc-button') }, [tool.firstChild ? tool.firstChild.cloneNode(true) : null,
            h('span', { text: tool.getAttribute('aria-label') || tool.getAttribute('title') || tool.textContent })]);
        item.addEventListener('click', function (e) {
            e.stopPropagation();
            self.toggleMenu(false);
            tool.click();
        });
        menu.appendChild(item);
    });
};
