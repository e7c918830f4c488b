// The public object window.LeafcraftBook, shared by the book player and the phone players. `book`
// is the viewer: cfg (pages, outline, rtl, title), current, handlers, ready, readyTime,
// visiblePages(), next(), prev(), goToPage(n) and search(text).
export function makeApi(book) {
    var api = {
        ready: book.ready,
        get pageCount() { return book.cfg ? book.cfg.pages.length : 0; },
        get currentPage() { return book.current; },
        get visiblePages() { return book.cfg ? book.visiblePages() : []; },
        get outline() { return book.cfg ? JSON.parse(JSON.stringify(book.cfg.outline)) : []; },
        get rightToLeft() { return !!(book.cfg && book.cfg.rtl); },
        get title() { return book.cfg ? book.cfg.title : ''; },
        get readyTime() { return book.readyTime; },
        next: function () { return book.cfg ? book.next() : Promise.resolve(0); },
        prev: function () { return book.cfg ? book.prev() : Promise.resolve(0); },
        goToPage: function (n) { return book.cfg ? book.goToPage(n) : Promise.resolve(0); },
        search: function (q) { return book.ready.then(function () { return book.search(q); }); },
        on: function (event, handler) {
            if (typeof handler !== 'function') return api;
            (book.handlers[event] = book.handlers[event] || []).push(handler);
            return api;
        },
        off: function (event, handler) {
            var list = book.handlers[event] || [];
            var i = list.indexOf(handler);
            if (i >= 0) list.splice(i, 1);
            return api;
        }
    };
    book.api = api;
    return api;
}
