// The book player draws the page editor's placed items on every live page.
import { pageLayers } from './pageview.js';
import { drawPlacedItems } from './placed.js';

pageLayers.push(function (player, pageEl, page) {
    if (page.items && page.items.length) drawPlacedItems(pageEl, page.items, 'files/', player.t);
});
