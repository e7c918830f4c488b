// Start-up and the public object window.LeafcraftBook.
import { Player } from './player.js';
import { root } from './dom.js';

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
    var api = {
        ready: player.ready,
        get pageCount() { return player.cfg ? player.cfg.pages.length : 0; },
        get currentPage() { return player.current; },
        get visiblePages() { return player.cfg ? player.visiblePages() : []; },
        get outline() { return player.cfg ? JSON.parse(JSON.stringify(player.cfg.outline)) : []; },
        get rightToLeft() { return !!(player.cfg && player.cfg.rtl); },
        get title() { return player.cfg ? player.cfg.title : ''; },
        get readyTime() { return player.readyTime; },
        next: function () { return player.cfg ? player.next() : Promise.resolve(0); },
        prev: function () { return player.cfg ? player.prev() : Promise.resolve(0); },
        goToPage: function (n) { return player.cfg ? player.goToPage(n) : Promise.resolve(0); },
        search: function (q) { return player.ready.then(function () { return player.search(q); }); },
        on: function (event, handler) {
            if (typeof handler !== 'function') return api;
            (player.handlers[event] = player.handlers[event] || []).push(handler);
            return api;
        },
        off: function (event, handler) {
            var list = player.handlers[event] || [];
            var i = list.indexOf(handler);
            if (i >= 0) list.splice(i, 1);
            return api;
        }
    };
    player.api = api;
    root.LeafcraftBook = api;
    player.start();
}
