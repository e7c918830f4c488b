// The book player draws the page editor's placed items on every live page and in the zoom view.
import { Player } from './player.js';
import { h } from './dom.js';
import { pageLayers } from './pageview.js';
import { drawPlacedItems } from './placed.js';
import './zoom.js';

pageLayers.push(function (player, pageEl, page) {
    if (page.items && page.items.length) drawPlacedItems(pageEl, page.items, 'files/', player.t);
});

var zoomSheet = Player.prototype.zoomSheet;
Player.prototype.zoomSheet = function (img, n) {
    var page = this.cfg.pages[n - 1];
    if (!page.items || !page.items.length) return zoomSheet.call(this, img, n);
    var sheet = h('div', { className: 'lc-zoom-sheet' }, [img]);
    sheet.style.position = 'relative';
    drawPlacedItems(sheet, page.items, 'files/', this.t);
    return sheet;
};
