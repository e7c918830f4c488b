// One publication from start to end, for the command line and the desktop application alike:
// check the inputs, import the PDF, apply the import's results to the template the way the
// application does at the end of an import, and write the book.
//
// The job works in a private working folder and with settings of its own: it never touches
// the desktop application's preview folder or the user's remembered choices.
#pragma once

#include "support/Error.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace leafcraft {

class BookSettings;
class EditedPageList;
class BookWriter;
class Outline;
class PageSource;
class PageLinks;
class Template;

struct PublishOptions {
    enum class PageFormat { Jpg, Swf, Svg };

    QString inputPdf;
    QString outputFolder;
    QString name = QStringLiteral("index"); // the HTML page is <name>.html
    QString title;                          // HTML page title; empty: the PDF's base name
    QString pageRange = QStringLiteral("ALL");
    int qualityLevel = 1; // 0..4 -> JPEG quality 100, 85, 65, 45, 25
    PageFormat format = PageFormat::Jpg;
    bool links = true;
    bool bookmarks = true;
    QString templateName = QStringLiteral("float");
    QString styleName; // empty: no style
    QString settingsFile;
    // Files outside the settings file's folder that it may bring into the book: the user's
    // consent, file by file.
    QStringList allowedFiles;
    QList<QPair<QString, QString>> propertyValues; // applied in order after style and settings file
    int jobs = 0;                                  // page conversion threads; 0 = one per core
    bool zoomPictures = false; // large pictures for the zoom, at twice the page pictures' size
    bool allowText = false;    // publish the text even when the PDF's permissions forbid copying it
    bool keepGoing = false;                        // leave out pages that cannot be rendered
    QString pageList; // a page list saved by the page editor (WORK/pages.xml); empty: none
    // The output folder holds a book an earlier version wrote, without a list of its files:
    // the names the new book needs count as that book's (nothing else in the folder does).
    bool replaceOldBook = false;
};

// What a job is doing, for a progress display.
struct PublishProgress {
    enum class Stage { Checking, Importing, Writing, Done };
    Stage stage = Stage::Checking;
    QString step; // the import step ("geneatePage", ...) while importing
    int done = 0; // pages done in this step
    int total = 0;
};

class PublishJob {
public:
    explicit PublishJob(PublishOptions options);
    ~PublishJob();
    PublishJob(const PublishJob&) = delete;
    PublishJob& operator=(const PublishJob&) = delete;

    // Called on the thread that runs the job.
    void setProgressHandler(std::function<void(const PublishProgress&)> handler) { m_progress = std::move(handler); }

    // Runs the whole job and returns the path of the book's HTML page. Throws Error: Usage for
    // options that make no sense, BadInput for an unreadable, damaged or encrypted PDF, a range
    // without a page of the document, an unknown template, style or property or an unreadable
    // settings file; Output when the book folder cannot be written.
    QString run();

    // The steps of run(), for callers that need to act between them.
    void prepare();      // checks every input, loads template and style, makes the folders
    void import();       // imports the PDF and applies its results
    QString write();     // writes the book, returns the HTML page's path

    static int qualityForLevel(int level);

    // What makes this job's book (see BookFingerprint), with the writer's choices the options
    // do not hold (an application bundle, a phone version). After prepare().
    QString fingerprint(const QStringList& writerChoices = {}) const;
    // The fingerprint the book's manifest is to record (setUpWriter passes it on).
    void setFingerprint(const QString& fingerprint) { m_fingerprint = fingerprint; }

    // Gives a writer of this job's book the job's working folder, settings and page texts,
    // and the edited page list with its files when the options name one.
    void setUpWriter(BookWriter& writer);

    const PublishOptions& options() const { return m_options; }
    const std::shared_ptr<Template>& bookTemplate() const { return m_template; }
    const std::shared_ptr<PageSource>& pageSource() const { return m_pageSource; }
    const std::shared_ptr<PageLinks>& pageLinks() const { return m_annotations; }
    const std::shared_ptr<Outline>& outline() const { return m_outline; }
    BookSettings& settings() const { return *m_settings; }
    // The first imported page's displayed size in points.
    int pageWidth() const { return m_pageWidth; }
    int pageHeight() const { return m_pageHeight; }
    // The private working folder (removed when the job is destroyed).
    const QString& workingFolder() const { return m_workingFolder; }
    const Warnings& warnings() const { return m_warnings; }
    // Pages of the range that could not be rendered and were left out (keepGoing), ascending.
    const std::vector<int>& leftOutPages() const { return m_leftOutPages; }
    // SVG books: the pages written as pictures instead, counted by the reason why.
    const QList<QPair<QString, int>>& pictureFallbacks() const { return m_pictureFallbacks; }

private:
    void report(PublishProgress::Stage stage, const QString& step = QString(), int done = 0, int total = 0);
    void checkOutputFolder();

    PublishOptions m_options;
    std::function<void(const PublishProgress&)> m_progress;
    std::unique_ptr<BookSettings> m_settings;
    std::shared_ptr<Template> m_template;
    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<PageLinks> m_annotations;
    std::shared_ptr<Outline> m_outline;
    std::vector<int> m_neededPages;
    std::vector<int> m_leftOutPages;
    QList<QPair<QString, int>> m_pictureFallbacks;
    int m_pageCount = 0;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    QString m_workingFolder;
    QString m_fingerprint;
    std::unique_ptr<EditedPageList> m_pageList;
    Warnings m_warnings;
    bool m_prepared = false;
    bool m_imported = false;
    bool m_createdOutput = false;
    bool m_written = false;
};

} // namespace leafcraft
