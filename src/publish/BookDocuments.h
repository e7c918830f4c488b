// The documents of a published book, built from plain inputs so that the book writer
// (BookWriter) and its tests share one definition of every byte:
// - the configuration document `Folioscope` (files/config.xml before it is enciphered),
// - the page list `Pages` (pages.xml),
// - the script-loadable copies the HTML5 player reads from file:// (config.js, search.js).
#pragma once

#include "platform/Xml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace leafcraft::bookdoc {

// The value of the first template property with `key`, else `defaultValue`.
using PropertyLookup = std::function<QString(const QString& key, const QString& defaultValue)>;

// A colour text such as "0x804000" as a number: leading blanks skipped, an optional "0x"
// or "0X", then hexadecimal digits as far as they go (saturating at 0xFFFFFFFF); no digit
// gives 0, so "#FFFFFF" is 0.
quint32 colorWithHexString(const QString& text);
// The colour as the configuration writes it: the number read as a signed 32-bit integer in
// decimal ("0x804000" -> "8404992").
QString colorText(const QString& text);

// The extension of the last path component ("" when it has none).
QString pathExtension(const QString& path);

// The control buttons to hide: each of Zoom, TiltAngle, AutoPlay, BackgroundSound, Info,
// Bookmark, Thumbnail, FullScreen, Help, Share, Print, Download whose value is exactly
// "Hide" followed by a comma, then ",Content".
QString hiddenButtonList(const PropertyLookup& lookup);

// The configuration document: root `Folioscope` holding `XMLVersion` and `Config` with
// every setting. The caller appends the bookmark tree and the page list (`Pages` last).
xml::Document configDocument(const PropertyLookup& lookup);

// The page sizes of the page list for a W x H page: the normal size is limited to 700 wide,
// the thumbnail to 180 high, the other side following the proportion (truncated, 32-bit).
struct PageListSizes {
    int largeWidth = 0, largeHeight = 0, width = 0, height = 0, thumbWidth = 0, thumbHeight = 0;
};
PageListSizes pageListSizes(int pageWidth, int pageHeight);

// One `Page` of the page list, in book order.
struct PageListEntry {
    int pageIndex = 0; // the page's number in its source document
    QString thumb;     // URLs relative to the resource folder
    QString normal;
    QString large;
    double width = 0; // the displayed size in points, written when known (> 0)
    double height = 0;
};

// The page list. `pagesAnnos` (may be null) is the link tree: the links of its `pageAnnos`
// children whose "pageIndex" is p go on the p-th page. Web links (with "url") become
// items with an `href`; links to another page (action "page") become items whose `pageIndex`
// is the book position (1-based) of the first page made from that document page, and are
// left out when the book does not hold that page.
xml::Document pageListDocument(const QString& base, int pageWidth, int pageHeight,
                               const std::vector<PageListEntry>& pages, const xml::Element& pagesAnnos);

// `text` as a JavaScript (and JSON) string literal that is also safe inside HTML:
// "</" is written "<\/", U+2028 and U+2029 and lone surrogates as \u escapes.
QByteArray jsStringLiteral(const QString& text);

// files/config.js: `window.LeafcraftConfigXML = "<config.xml text>";\n`.
QByteArray configScript(const QByteArray& configXml);

// files/search/search.js: `window.LeafcraftSearchText = ["page 1 text", ...];\n`.
QByteArray searchScript(const QStringList& pageTexts);

} // namespace leafcraft::bookdoc
