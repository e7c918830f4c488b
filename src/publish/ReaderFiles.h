// What a book carries for its readers beyond the pictures, made from the facts an import
// found on each page (PageFacts):
// - the contents (`ols`) pointing at book positions instead of PDF page numbers,
// - the page text for search (search.js) and the words of each page with their places
//   (files/search/words-<n>.js, n the 1-based book position), unless the PDF's permissions
//   forbid copying the text,
// - each page's own size in the page list.
#pragma once

#include "platform/PdfDocument.h"
#include "platform/Xml.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace leafcraft {

class PageSource;

namespace bookdoc {

// The book position (1-based) of the first page made from each page number of the source
// document.
QHash<int, int> bookPositions(const PageSource& source);

// Rewrites the `p` of every `o` in the contents tree `ols` from a PDF page number to the
// book position of that page; "0" when the book does not hold it (left out of the range, or a
// bookmark into another file).
void mapContentsToBook(xml::Element ols, const QHash<int, int>& positions);

// The text of each book page from the import's facts, in book order; nullopt when the pages
// carry no facts (a book not imported from a PDF here). Pages whose text is withheld give "".
std::optional<QStringList> importedPageTexts(const PageSource& source);

// files/search/words-<n>.js:
// `(window.LeafcraftWords = window.LeafcraftWords || {})[n] = [[x, y, w, h, "word"], ...];`
// with the box as fractions of the page to 4 decimals.
QByteArray wordsScript(int position, const std::vector<pdf::Word>& words);

// Writes words-<n>.js into `folder` for every book page with words, after removing the
// words files of an earlier book there. `fail` is told of each file that cannot be written,
// and why.
void writeWordFiles(const QString& folder, const PageSource& source,
                    const std::function<void(const QString& path, const QString& problem)>& fail);

} // namespace bookdoc

} // namespace leafcraft
