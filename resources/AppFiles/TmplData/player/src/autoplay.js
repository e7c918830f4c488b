// One step of turning the pages automatically, shared by the book player and the phone players:
// the next page, or at the end of the book the first page again while `book.loopsLeft` allows
// (a negative count: for ever). Returns false when auto play should stop.
export function autoPlayStep(book, atEnd) {
    if (!atEnd) {
        book.next();
        return true;
    }
    if (book.loopsLeft === 0) return false;
    if (book.loopsLeft > 0) book.loopsLeft--;
    book.goToPage(1);
    return true;
}

// Starts (on) or stops auto play of `book`: a step every autoFlip.interval seconds, starting
// again from the first page autoFlip.loop more times. `atEnd()` tells whether the last page shows.
export function runAutoPlay(book, on, atEnd) {
    clearInterval(book.autoTimer);
    book.autoTimer = null;
    if (!on) return;
    book.loopsLeft = book.cfg.autoFlip.loop;
    book.autoTimer = setInterval(function () {
        if (!autoPlayStep(book, atEnd())) book.setAutoPlay(false);
    }, book.cfg.autoFlip.interval * 1000);
}
