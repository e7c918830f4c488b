// The texts of the phone version: the settings script of the page-turning book and the
// filled page of the slide viewer. Pure functions, so that the writer, the tests and the
// browser-test fixture build the very same text.
#pragma once

#include <QString>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <vector>

namespace leafcraft::detail {

// A property value by key, with a default for a key no property has.
using PropertyLookup = std::function<QString(const QString& key, const QString& defaultValue)>;

// What the settings need to know about the book besides its property values.
struct MobileBookFacts {
    QString templateName;            // "Panoramic" takes its background from the cube images
    int pageCount = 0;           // pages of the page source
    int pageWidth = 0;           // the page size of the imported document
    int pageHeight = 0;
    std::vector<int> pageNumbers; // the page numbers that name the pictures, in book order
    QStringList pictures;         // each page's phone picture, relative to mobile/, in book order
};

// `text` as a JavaScript string literal in double quotes: quote, backslash and control
// characters escaped JSON-style, and "</", U+2028, U+2029 and lone surrogates escaped as
// well, so that the literal is valid inside a script file and inside an inline <script> element.
QString jsStringLiteral(const QString& text);

// `value` when it is a plain decimal number (optional minus, digits, optional fraction),
// else `fallback`: a value that is written without quotes must not carry code.
QString jsNumber(const QString& value, const QString& fallback);

// The one line of script that configures the page-turning book: the `bookConfig` object with
// one entry per setting in a fixed order, then "var pageEditor = [];ols=[]". When the picture
// numbers are not simply 1 to pageCount, the line ends with
// ";bookConfig.pageNumbers=[...];" so that the book finds pictures named by page number; when
// the pictures are known, with ";bookConfig.pictures=[...];" (their addresses); with a
// languageSetting, ";bookConfig.language=...;" (the players' words follow it). The thumbnails
// are the book's own (thumbPath "../files/thumb/"), never the full-size pictures.
QString flipSettingsText(const PropertyLookup& value, const MobileBookFacts& facts);

// The page options of the slide viewer:
// {pageWidth:W,pageHeight:H,totalPage:N,zoomPageDir:"../files/mobile/",normalPageDir:"../files/mobile/"}
QString slideOptionsText(int pageWidth, int pageHeight, int totalPage);

// `text` with &, <, >, " and ' written as character references.
QString htmlEscaped(const QString& text);

// The slide viewer's page with every "${index.title}" replaced by the title (HTML-escaped)
// and every "${fbbook.options}" by the options, in one pass: a title that itself reads
// "${fbbook.options}" stays text.
QString fillSlidePage(const QString& page, const QString& title, const QString& options);

// A phone player's page with its placeholders filled in one pass: each key of `values` (such as
// "${index.title}") replaced by its value as given. Values are never searched again.
QString fillPlaceholders(const QString& page, const QList<QPair<QString, QString>>& values);

// "This book needs JavaScript to open." in the language of `languageTag` ("en", "de", ...;
// English for any other), for the phone pages' <noscript>.
QString noScriptText(const QString& languageTag);

} // namespace leafcraft::detail
