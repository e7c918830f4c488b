// The books the browser tests open, with what the tests expect of them.
import path from 'node:path';
import { makeBook, testBookOptions } from './make_book.mjs';

export async function publishedBooks(work) {
    const options = testBookOptions();
    makeBook(path.join(work, 'ltr'), options);
    makeBook(path.join(work, 'rtl'), { ...options, rtl: true });
    const links = options.links[3];
    return {
        ltr: 'ltr',
        rtl: 'rtl',
        pageCount: options.pages,
        linkPage: 3,
        webLink: links[0],
        pageLinkTarget: links[1].page,
        bookmark: { caption: 'Section 1.1', page: 4 },
        outlineCaptions: ['Chapter <b>One</b>', 'Section 1.1', 'Chapter Two'],
        searchWord: 'aardvark',
        searchPage: 7
    };
}
