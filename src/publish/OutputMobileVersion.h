// The phone version of a published book: an HTML5 book in the book folder's "mobile"
// sub-folder that shows the pages' phone pictures (files/mobile/<n>.jpg) in any browser.
//
// Two kinds: the page-turning book (any type but 1, the "Flip" player), configured by a
// settings script appended to its javascript/main.js, and the slide viewer (type 1, the
// "Slide" player), whose index.html receives the title and the page options. Both players
// ship with the program (AppFiles/TmplData/mobile/<Flip|Slide>) and are copied whole.
//
// Files written into the book folder:
//   files/mobile/<n>.jpg          one picture per phone page, <n> its page number, unless
//                                 files/page/<n>.jpg holds the same bytes: then that is shared
//   mobile/                       the player of the chosen kind
//   mobile/javascript/main.js     Flip: main_preview.js followed by the settings script
//                                 (main_preview.js is then removed)
//   mobile/index.html             Flip: the player's page with its title and language
//   mobile/index.html             Slide: the player's page with its placeholders filled
//   mobile/javascript/config.js   Slide: the same settings script (logo, direction, title)
//
// Every value the settings carry is written as an escaped string literal or a plain number,
// so a property value can neither break the script nor run as code. Main thread only.
#pragma once

#include "support/Error.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace leafcraft {

class BookSettings;
class PageSource;
class Template;

class OutputMobileVersion {
public:
    // A writer of the phone version of the book in `saveFolder`: the page-turning book
    // (mobileType 0) or the slide viewer (1).
    OutputMobileVersion(std::shared_ptr<PageSource> pageSource, std::shared_ptr<Template> bookTemplate,
                        const QString& saveFolder, int mobileType);
    ~OutputMobileVersion();
    OutputMobileVersion(const OutputMobileVersion&) = delete;
    OutputMobileVersion& operator=(const OutputMobileVersion&) = delete;

    const std::shared_ptr<Template>& bookTemplate() const { return m_template; }
    void setTemplate(std::shared_ptr<Template> v) { m_template = std::move(v); }
    const std::shared_ptr<PageSource>& pageSource() const { return m_pageSource; }
    void setPageSource(std::shared_ptr<PageSource> v) { m_pageSource = std::move(v); }
    const QString& saveFolder() const { return m_saveFolder; }
    void setSaveFolder(const QString& v) { m_saveFolder = v; }
    int mobileType() const { return m_mobileType; }
    void setMobileType(int v) { m_mobileType = v; }

    // Where the page size (PageWidth, PageHeight) comes from: the shared settings unless set.
    void setSettings(BookSettings* settings) { m_settings = settings; }
    // The title the book is published under: it stands in for a book title ("Title") and a slide
    // viewer title ("bookTitle") still at the template's default, as in the desktop book.
    void setPublishedTitle(const QString& title) { m_publishedTitle = title; }

    // Writes the phone version: the pictures, then, when there is at least one, the player of
    // the chosen kind (a book without phone pictures gets a warning instead). Throws Error(Output) when the player's page or script cannot be written,
    // or when the book folder holds a "mobile" folder that is not a phone player.
    void writeMobileVersion();
    // Empties files/mobile and copies each phone picture there as <page number>.jpg, except a
    // picture that is the book's page picture files/page/<page number>.jpg byte for byte: the
    // phone version shows that one. Returns whether the book has phone pictures. Pictures that
    // cannot be copied become warnings.
    bool copyPicturesToMobileFolder();
    // The page-turning book: copies "Flip" to mobile/ and writes mobile/javascript/main.js.
    void writeFlipVersion();
    // The slide viewer: copies "Slide" to mobile/ and fills mobile/index.html.
    void writeSlideVersion();

    // `text` followed by "key:value,".
    static QString appendOption(const QString& text, const QString& key, const QString& value);
    // `text` as an escaped JavaScript string literal in double quotes.
    static QString quoted(const QString& text);
    // `text` with every "0x" replaced by "#", as an escaped string literal.
    static QString jsColor(const QString& text);
    // The file's text read as UTF-8; a null text when it cannot be read.
    static QString readText(const QString& path);
    // Fills a phone player's page `source` ("${index.title}": the title, HTML-escaped;
    // "${html.lang}" and "${page.noscript}": the book's language and the line shown without
    // JavaScript in it; "${fbbook.options}": the page options) and writes it to `target`
    // atomically as UTF-8.
    void generateMobileHtmlFrom(const QString& source, const QString& target);

    // The settings script of the page-turning book for this book.
    QString flipSettingsText() const;
    // {pageWidth:W,pageHeight:H,totalPage:N,zoomPageDir:"../files/mobile/",normalPageDir:"../files/mobile/"}
    QString slideOptionsText() const;
    // The slide viewer's title: the property "bookTitle" when it is set, else the book's title
    // ("Title", or the published title in place of its default), else the maker's web domain.
    QString slideTitle() const;

    const Warnings& warnings() const { return m_warnings; }
    // Why writeMobileVersion() wrote no phone version; empty when it wrote one.
    const QString& notWrittenReason() const { return m_notWritten; }
    // The phone pictures that could not be written.
    const QStringList& failedFiles() const { return m_failedFiles; }

private:
    QString mobileFolder() const;
    // Refuses to replace a "mobile" folder that holds none of the players' scripts.
    void checkMobileFolderIsOurs() const;
    int pageWidthSetting() const;
    int pageHeightSetting() const;

    std::shared_ptr<Template> m_template;
    std::shared_ptr<PageSource> m_pageSource;
    QString m_saveFolder;
    int m_mobileType = 0;
    BookSettings* m_settings = nullptr;
    QString m_publishedTitle;
    QString m_notWritten;
    Warnings m_warnings;
    QStringList m_pictures; // where the phone version finds each page's picture (from copyPicturesToMobileFolder)
    QStringList m_failedFiles;
};

} // namespace leafcraft
