// Search: the panel, the book's search text (files/search/search.js) and the matching.
import { Player } from './player.js';
import { h } from './dom.js';
import { loadSearchText, normalise, pagesMatching, snippet } from './searchtext.js';

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

Player.prototype.loadSearchData = function () {
    var self = this;
    if (!this.searchLoad) {
        this.searchLoad = loadSearchText('files/search/search.js', this.t).then(function (data) {
            self.searchData = data.texts;
            self.searchIndex = data.index;
            return self.searchData;
        });
        this.searchLoad.catch(function () { self.searchLoad = null; });
    }
    return this.searchLoad;
};

Player.prototype.search = function (q) {
    var self = this;
    if (!normalise(q)) return Promise.resolve([]);
    return this.loadSearchData().then(function () {
        return pagesMatching(self.searchIndex, q, self.cfg.pages.length);
    });
};
