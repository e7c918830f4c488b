// Every text the phone players show, in one place.
export var STRINGS = {
    first: 'First page', prev: 'Previous page', next: 'Next page', last: 'Last page',
    thumbnails: 'Pages', contents: 'Contents', search: 'Search', more: 'More',
    zoom: 'Zoom', autoPlay: 'Turn the pages automatically', share: 'Share', close: 'Close',
    page: 'Page', findInBook: 'Find in this book', searching: 'Searching…', pages: 'pages', onePage: '1 page',
    noHit: 'No page holds "%s".', noContents: 'This book has no contents.', notInBook: 'not in this book',
    linkToBook: 'Link to this book', goToPage: 'Go to page %s', cannotOpen: 'This book cannot be opened'
};

export function text(key, arg) {
    return String(STRINGS[key] || key).replace('%s', arg === undefined ? '' : arg);
}
