/*
 * Leafcraft book player.
 *
 * Shows a published Leafcraft book: reads the book configuration (files/config.js, or
 * files/config.xml from a web server), lays out the pages as a book with a page-turn effect and
 * offers the tool bar the configuration asks for. Works from disk (file://), from a web server and
 * in embedded web views; needs no network and no other script.
 *
 * Public object: window.LeafcraftBook (ready, pageCount, currentPage, next(), prev(),
 * goToPage(n), outline, search(text), on(event, handler)); window.LeafcraftContainer is the
 * configuration container reader. Under node the bundle exports the container reader only.
 */
import * as container from './container.js';
import { root } from './dom.js';
import { boot } from './api.js';
import './pageview.js';
import './pagetext.js';
import './analytics.js';
import './turn.js';
import './input.js';
import './toolbar.js';
import './panels.js';
import './search.js';
import './zoom.js';
import './dialogs.js';
import './media.js';
import './panorama.js';
import './narrow.js';
import './placedlayer.js';

export { CONFIG_KEY, base64ToBytes, rc4, crc32, inflateRaw, readZipEntry, decodeConfigData } from './container.js';

if (typeof document !== 'undefined') {
    root.LeafcraftContainer = container;
    if (document.getElementById('leafcraft-book') || document.readyState !== 'loading') boot();
    else document.addEventListener('DOMContentLoaded', boot);
}
