// Start-up and the public object window.LeafcraftBook.
import { Player } from './player.js';
import { root } from './dom.js';
import { makeApi } from './bookapi.js';

export function boot() {
    var host = document.getElementById('leafcraft-book');
    if (!host) {
        host = document.createElement('div');
        host.id = 'leafcraft-book';
        document.body.appendChild(host);
    }
    if (!host.hasAttribute('data-template') && document.body.getAttribute('data-template')) {
        host.setAttribute('data-template', document.body.getAttribute('data-template'));
    }
    var player = new Player(host);
    var api = makeApi(player);
    root.LeafcraftBook = api;
    player.start();
}
