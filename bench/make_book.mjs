// Writes a test book for the player bench: node bench/make_book.mjs <folder> [--pages N] [--rtl]
// [--title TEXT] [--template NAME]. The book is laid out by tests/browser/make_book.mjs.
import path from 'node:path';
import { makeBook } from '../tests/browser/make_book.mjs';

const args = process.argv.slice(2);
const dir = args.shift();
if (!dir) {
    console.error('usage: node bench/make_book.mjs <folder> [--pages N] [--rtl] [--title TEXT] [--template NAME]');
    process.exit(2);
}
const opts = {};
for (let i = 0; i < args.length; i++) {
    if (args[i] === '--pages') opts.pages = parseInt(args[++i], 10);
    else if (args[i] === '--rtl') opts.rtl = true;
    else if (args[i] === '--title') opts.title = args[++i];
    else if (args[i] === '--template') opts.template = args[++i];
    else { console.error(`make_book: unknown option ${args[i]}`); process.exit(2); }
}
console.log(makeBook(path.resolve(dir), opts));
