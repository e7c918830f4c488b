// Search: the panel, the book's search text (files/search/search.js) and the matching.
import { Player } from './player.js';
import { h, root } from './dom.js';

Player.prototype.buildSearch = function () {
    var self = this;
    var input = h('input', { type: 'search', className: 'lc-search-input', placeholder: this.t('findInBook'),
        'aria-label': this.t('findInBook') });
    var results = h('ol', { className: 'lc-results', 'aria-live': 'polite' });
    var status = h('p', { className: 'lc-search-status' });
    var form = h('form', { className: 'lc-search-form' }, [input]);
    form.addEventListener('submit', function (e) {
        e.preventDefault();
        var q = input.value;
        results.textContent = '';
        status.textContent = self.t('searching');
        self.hitQuery = q;
        self.markHits();
        self.search(q).then(function (hits) {
            status.textContent = !normalise(q) ? '' : hits.length ? self.t(hits.length === 1 ? 'hitOne' : 'hitMany', hits.length)
                : self.t('noHit', q.trim());
            hits.slice(0, 500).forEach(function (n) {
                var b = h('button', { type: 'button', className: 'lc-result', 'data-page': String(n) }, [
                    h('span', { className: 'lc-result-page', text: self.t('page', n) }),
                    h('span', { className: 'lc-result-text', text: snippet(self.searchData[n - 1], q), dir: 'auto' })
                ]);
                b.addEventListener('click', function () { self.goToPage(n); });
                results.appendChild(h('li', null, [b]));
            });
        }, function (err) {
            status.textContent = err.message;
        });
    });
    this.panel.appendChild(form);
    this.panel.appendChild(status);
    this.panel.appendChild(results);
    setTimeout(function () { input.focus(); });
};

function normalise(s) {
    return String(s || '').replace(/\s+/g, ' ').trim().toLocaleLowerCase();
}

function snippet(textOfPage, q) {
    var t = String(textOfPage || '').replace(/\s+/g, ' ');
    var i = t.toLocaleLowerCase().indexOf(normalise(q));
    if (i < 0) return t.slice(0, 80);
    var from = Math.max(0, i - 30);
    return (from ? '…' : '') + t.slice(from, i + q.length + 50) + '…';
}

Player.prototype.loadSearchData = function () {
    var self = this;
    if (this.searchLoad) return this.searchLoad;
    this.searchLoad = new Promise(function (resolve, reject) {
        if (Array.isArray(root.LeafcraftSearchText)) return resolve(root.LeafcraftSearchText);
        var s = document.createElement('script');
        s.src = 'files/search/search.js';
        s.onload = function () {
            if (Array.isArray(root.LeafcraftSearchText)) resolve(root.LeafcraftSearchText);
            else reject(new Error(self.t('searchDamaged')));
        };
        s.onerror = function () { reject(new Error(self.t('noSearchData'))); };
        document.head.appendChild(s);
    }).then(function (data) {
        self.searchData = data.map(function (t) { return typeof t === 'string' ? t : ''; });
        self.searchIndex = self.searchData.map(normalise);
        return self.searchData;
    });
    this.searchLoad.catch(function () { self.searchLoad = null; });
    return this.searchLoad;
};

Player.prototype.search = function (q) {
    var self = this, needle = normalise(q);
    if (!needle) return Promise.resolve([]);
    return this.loadSearchData().then(function () {
        var hits = [];
        var count = Math.min(self.searchIndex.length, self.cfg.pages.length);
        for (var i = 0; i < count; i++) if (self.searchIndex[i].indexOf(needle) >= 0) hits.push(i + 1);
        return hits;
    });
};
