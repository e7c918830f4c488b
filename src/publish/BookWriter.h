// The writer of a published flip-book folder.
//
// Layout written under saveToFolder() ("files" and its sub-folders from the fields below):
//   <saveToFileName>            the HTML page (default "index.html")
//   files/config.xml            the enciphered configuration (bookXML), files/config.js its
//                               script-loadable copy for the HTML5 player
//   files/player/               the HTML5 player of the template data
//   files/book.swf, swfobject.js, playerProductInstall.swf, theme/Main.swf
//                               Flash-era files, only when the template ships them
//   files/page/<n>.<ext>        the normal pages (<n> the page's number in its document);
//                               an SWF page also gets files/page/<n>.jpg, its picture
//   files/thumb/<n>.jpg         the thumbnails
//   files/zoom/<n>.jpg          large pictures for the zoom, when the import made them
//   files/extfiles/<key>.<ext>  the files chosen in file properties (+ the Panoramic cube)
//   files/pageConfig/<name>     files the links need
//   files/editor/               page-editor attachments of the working folder
//   files/search/search.js      the text of every page, for the player's search
//   files/search/words-<n>.js   the words of book page n with their places
//   pages.xml                   the page list, only in the working folder itself (the live
//                               preview): kept there, or written while it has none
//   files/leafcraft-manifest.txt  every file above, as the book's record of what it wrote
//
// A writer is made for one output: create it, give it links, outline and HTML settings,
// call writeBook() once. Main thread only.
//
// The book is written whole into a staging folder beside the previous one and swapped in at
// the end (BookStaging): the files it writes are recorded in its manifest
// (files/leafcraft-manifest.txt, with each file's size and hash; see BookManifest), and a later
// write replaces exactly those that still hold what was recorded. Every file written below the
// staging folder is recorded, whichever step wrote it.
#pragma once

#include "platform/Xml.h"
#include "support/Error.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace leafcraft {

class BookSettings;
class BookStaging;
class Outline;
class BookPage;
class PageSource;
class PageLinks;
class Template;
class TemplateProperty;
class HTMLConfigInfo;

class BookWriter {
public:
    // A writer of the pages of `pageSource` with `bookTemplate` into the book folder
    // `saveToFolder`, whose HTML page is named `toName` (index.html when empty).
    BookWriter(std::shared_ptr<PageSource> pageSource, std::shared_ptr<Template> bookTemplate,
                    const QString& saveToFolder, const QString& toName);
    virtual ~BookWriter();
    BookWriter(const BookWriter&) = delete;
    BookWriter& operator=(const BookWriter&) = delete;

    const std::shared_ptr<Template>& bookTemplate() const { return m_template; }
    void setTemplate(std::shared_ptr<Template> v) { m_template = std::move(v); }
    const std::shared_ptr<PageSource>& pageSource() const { return m_pageSource; }
    void setPageSource(std::shared_ptr<PageSource> v) { m_pageSource = std::move(v); }
    const std::shared_ptr<PageLinks>& pageLinks() const { return m_annotations; }
    void setPageLinks(std::shared_ptr<PageLinks> v) { m_annotations = std::move(v); }
    // The bookmarks; written into the configuration as its `ols` tree.
    const std::shared_ptr<Outline>& outline() const { return m_outline; }
    void setOutline(std::shared_ptr<Outline> v) { m_outline = std::move(v); }
    const QString& saveToFolder() const { return m_saveToFolder; }
    void setSaveToFolder(const QString& v) { m_saveToFolder = v; }
    const QString& saveToFileName() const { return m_saveToFileName; }
    void setSaveToFileName(const QString& v) { m_saveToFileName = v; }
    // Without HTML settings the template's HTML page is copied unchanged.
    const std::shared_ptr<HTMLConfigInfo>& htmlConfig() const { return m_htmlConfig; }
    void setHtmlConfig(std::shared_ptr<HTMLConfigInfo> v) { m_htmlConfig = std::move(v); }

    // The title the book is published under: the book shows it while the template's Title is
    // still the template's default.
    void setPublishedTitle(const QString& title) { m_publishedTitle = title; }
    const QString& publishedTitle() const { return m_publishedTitle; }

    // The page list's `bace` attribute ("" unless set) and editor flag (true unless set).
    void setBasePath(const QString& path) { m_basePath = path; }
    void setNeverEditor(bool neverEditor) { m_neverEditor = neverEditor; }

    // The working folder whose pages.xml is the master page list and whose files/editor holds
    // the page-editor attachments: "<Application Support>/Quiresheet/preview" (the live
    // preview's folder) unless setPreviewFolder() chose another one. Stored in m_previewPath.
    QString previewPath();
    void setPreviewFolder(const QString& folder) { m_previewFolder = folder; }

    // Page-editor files to copy into the book's files/ instead of the working folder's whole
    // files/editor: paths relative to `filesFolder`, already checked by the caller.
    void setEditorFiles(const QString& filesFolder, const QStringList& relativePaths)
    {
        m_editorFilesFolder = filesFolder;
        m_editorFiles = relativePaths;
    }

    // Where the page size (PageWidth, PageHeight) comes from: the shared settings unless set.
    void setSettings(BookSettings* settings) { m_settings = settings; }

    // The text of each page in book order (index 0 = first page), for files/search/search.js.
    // Unless given, it is read from the page source's PDF (sourceFile) at write time.
    void setSearchTexts(const QStringList& texts) { m_searchTexts = texts; }

    // Writes the whole book. Nothing is written when saveToFolder() does not exist. Throws
    // Error(Output) naming the files that could not be written (a page, a thumbnail, a chosen
    // file, the HTML page, the configuration) or the user's files in the way, Error(Cancelled)
    // when the progress callback stopped it, and Error(BadInput) when the template has no HTML
    // page or the working page list is damaged. A write that throws leaves the folder as it was.
    virtual void writeBook();

    // Called as pages are written, with the pages done and the pages in all; returning false
    // cancels the write.
    void setProgressCallback(std::function<bool(int done, int total)> callback) { m_progress = std::move(callback); }
    // Writes into a staging that the caller commits (the publish flow stages the book and its
    // phone version together). Without one, writeBook() stages and commits by itself.
    void setStaging(BookStaging* staging) { m_staging = staging; }
    // The folder that receives the book as a whole; the book's manifest lives below it.
    virtual QString bookRoot() const { return m_saveToFolder; }
    QString manifestPath() const;
    // The live preview's folder is private: names in it are replaced without asking.
    void setFolderIsPrivate(bool isPrivate) { m_folderIsPrivate = isPrivate; }
    // See BookStaging::setReplacesBookWithoutManifest (for the staging writeBook() makes).
    void setReplacesBookWithoutManifest(bool replaces) { m_replacesUnrecorded = replaces; }
    // What made the book (BookFingerprint), for its manifest, whichever staging writes it.
    void setFingerprint(const QString& fingerprint) { m_fingerprint = fingerprint; }
    // The working folder previewPath() gives when setPreviewFolder() was not called (the
    // application sets its live preview's folder here).
    static void setDefaultPreviewFolder(const QString& folder);

    // The steps of writeBook; `base` "" means saveToFolder().
    void removeExtraFiles(const QString& base);
    void writePagePictures(const QString& base);
    void writeZoomedPictures(const QString& base);
    void writeThumbnails(const QString& base);
    void writeExtraFiles(const QString& base);
    void writeExtraFiles(const QString& base, const TemplateProperty& childPro);
    void writeAnnotationFiles(const QString& base);
    void writeThemeFiles(const QString& base);
    // Writes files/search/search.js.
    void writeSearchFile(const QString& base);

    // The HTML page: saveToFolder() joined with saveToFileName() (or "index.html").
    virtual QString outputHtmlFileName() const;
    // The file the caller opens after writing.
    virtual QString outputFileName() const;

    // Page URLs relative to the resource folder: page/<n>.<ext>; the zoomed page zoom/<n>.jpg
    // when the import made one, else the normal page; thumb/<n>.jpg.
    QString normalPageUrl(const BookPage& page) const;
    QString zoomedPageUrl(const BookPage& page) const;
    QString thumbPageUrl(const BookPage& page) const;

    // ---- The configuration document.

    // The `Folioscope` document: every setting, the bookmarks (`ols`) when there is an
    // outline, and the page list (`Pages`, last child): the working folder's pages.xml, else
    // the one this writer generated, else one built for the book.
    xml::Document bookXML();
    // The hidden control buttons, e.g. "Zoom,Print,,Content".
    QString hiddenButtons() const;
    static quint32 colorWithHexString(const QString& text);
    static xml::Element appendTextElement(const QString& name, const QString& value, xml::Element parent);
    // Writes the configuration container to `path`, replacing an existing file atomically,
    // and its script copy (config.js) beside it. Throws Error(Output) when it cannot.
    void writeBookConfig(const QString& path);

    // ---- The page list.

    // With `isEditor` true, writes pages.xml into the book being written and returns its path; with
    // false writes nothing and returns a null text.
    QString writePageList(const QString& basePath, bool isEditor);
    // The page list of the book, in memory.
    xml::Document pageListDocument(const QString& basePath) const;
    // Appends the root element of the XML file at `path` as the last child of `element`.
    // Throws Error(BadInput) when the file cannot be read or parsed.
    static void appendPageList(xml::Element element, const QString& path);

    const Warnings& warnings() const { return m_warnings; }
    int failedWrites() const { return m_failedWrites; }

protected:
    QString baseFolder(const QString& base) const;
    // Where `path` (below bookRoot()) is written while the book is staged.
    QString stagedPath(const QString& path) const;
    // Stages the book (own staging unless setStaging() gave one), runs `write` with
    // baseFolder() pointing into the staging folder, checks that nothing failed and commits.
    void writeStaged(const std::function<void()>& write);
    // Calls the progress callback; throws Error(Cancelled) when it asks to stop.
    void reportProgress();
    QString resourcePath(const QString& base, const QString& relative) const;
    // Copies a file; an existing `to` is replaced when `replace` is true, else the copy fails.
    // A missing source or a failed copy is a warning (the latter also a failed write).
    bool copyFile(const QString& from, const QString& to, bool replace = false);
    struct CopyTask {
        QString from, to;
    };
    // Copies files, replacing what is at each target, several at a time; failures as copyFile.
    // Within writeBook the copies finish in the background (finishCopies).
    void copyFiles(const std::vector<CopyTask>& tasks);
    // Waits for the copies in flight and reports their failures.
    void finishCopies();
    void writeWholeBook();
    void writeStagedBook();
    bool copyFolder(const QString& from, const QString& to);
    void removePath(const QString& path);
    void warn(const QString& where, const QString& message, bool failedWrite);
    int pageWidthSetting() const;
    int pageHeightSetting() const;
    QStringList searchTexts();
    void writeSwfPicture(const QString& swfPath, const QString& jpgPath);
    // Copies pictures into `folder` (made when missing) as <pageIndex>.jpg.
    void copyPictures(const QString& folder, const std::vector<std::unique_ptr<BookPage>>& pictures);

    std::shared_ptr<Template> m_template;
    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<PageLinks> m_annotations;
    std::shared_ptr<Outline> m_outline;
    QString m_saveToFolder;
    QString m_saveToFileName;
    std::shared_ptr<HTMLConfigInfo> m_htmlConfig;
    QString m_previewPath;
    QString m_basePath = QStringLiteral("");
    bool m_neverEditor = true;
    QString m_resourceFolder = QStringLiteral("files");
    QString m_normalPageFolder = QStringLiteral("page");
    QString m_zoomedPageFolder = QStringLiteral("zoom");
    QString m_thumbPageFolder = QStringLiteral("thumb");
    QString m_extraFilesFolder = QStringLiteral("extfiles");
    QString m_searchFolder = QStringLiteral("search");
    QString m_annotationFilesFolder = QStringLiteral("pageConfig");
    bool m_zoomedPageSameAsNormalPage = true;

private:
    struct CopyBatch;
    std::vector<std::unique_ptr<CopyBatch>> m_copies;
    bool m_deferCopies = false;
    QString m_previewFolder;
    QString m_writeFolder; // saveToFolder() inside the staging folder while writing
    BookStaging* m_staging = nullptr;
    QString m_fingerprint;
    BookStaging* m_activeStaging = nullptr;
    bool m_folderIsPrivate = false;
    bool m_replacesUnrecorded = false;
    std::function<bool(int, int)> m_progress;
    QStringList m_failedFiles;
    QString m_editorFilesFolder;
    QStringList m_editorFiles;
    BookSettings* m_settings = nullptr;
    std::optional<QStringList> m_searchTexts;
    QString m_generatedPageList; // pages.xml written by writePageList in this run
    QString m_publishedTitle;
    Warnings m_warnings;
    int m_failedWrites = 0;
};

} // namespace leafcraft
