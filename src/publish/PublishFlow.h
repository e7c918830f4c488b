// The publish sequence behind the publish dialog (OutputWindowDelegate) and the command
// line: the overwrite check, the remembered choices, the choice of writer (web book folder or
// application bundle), the phone version, and the file to open afterwards. The dialog only
// collects the choices, asks the user the overwrite question and offers to open the result.
//
// Publishing never destroys what it did not make: the book and its phone version are staged
// together and swapped in at the end (BookStaging), replacing exactly the files the previous
// book recorded in its manifest that still hold what it recorded. The overwrite question is asked for a folder that holds a
// book (or an application bundle of the same name); "YES" lets the previous book be replaced,
// nothing else in the folder is removed. The home folder, the Desktop, a filesystem root and
// any folder that holds the home folder are never offered for replacing.
//
// Main thread only.
#pragma once

#include "support/Error.h"

#include <QString>
#include <functional>
#include <memory>

namespace leafcraft {

class BookSettings;
class BookWriter;
class Outline;
class PageSource;
class PageLinks;
class Template;
class OutputMobileVersion;

// The choices of the publish dialog, as remembered in AppSettings.
struct PublishChoices {
    QString folder;       // lastOutputFileFolder
    QString name;         // lastOutputFileName: the HTML page is <name>.html
    QString title;        // lastOutputFileTitle: the HTML page's title
    int outputType = 0;   // outputType: 0 web book folder, 1 application bundle
    int createMobile = 0; // OutputCreateMobile: 1 writes a phone version (web book folder only)
    int mobileType = 0;   // MobileType: 0 page-turning book, 1 slide viewer
};

// The user's answer to the overwrite question.
enum class OverwriteAnswer { Yes, No, Other };

class PublishFlow {
public:
    // The working book; the flow holds its own references for its lifetime.
    PublishFlow(std::shared_ptr<PageSource> pageSource, std::shared_ptr<Template> bookTemplate,
                std::shared_ptr<PageLinks> annotations, std::shared_ptr<Outline> outline);
    ~PublishFlow();
    PublishFlow(const PublishFlow&) = delete;
    PublishFlow& operator=(const PublishFlow&) = delete;

    // Where the choices are remembered and the page size comes from: the shared settings
    // unless set.
    void setSettings(BookSettings* settings) { m_settings = settings; }
    // Called with each writer before it writes (a tool sets its working folder, settings, ...).
    void setWriterSetup(std::function<void(BookWriter&)> setup) { m_writerSetup = std::move(setup); }
    void setMobileSetup(std::function<void(OutputMobileVersion&)> setup) { m_mobileSetup = std::move(setup); }
    // Called as pages are written (done of total); returning false cancels the publish, which
    // then throws Error(Cancelled) and leaves the folder as it was.
    void setProgressCallback(std::function<bool(int done, int total)> callback) { m_progress = std::move(callback); }

    // The remembered choices, as the dialog shows them when it opens.
    PublishChoices rememberedChoices() const;
    // Stores the six choices in the settings (folder, name, title, output type, phone
    // version, phone type, in that order) and saves the settings.
    void rememberChoices(const PublishChoices& choices);

    // The publish sequence. Runs the overwrite check with `ask`; "NO" returns a
    // null text and changes nothing, not even the remembered choices. Otherwise remembers the
    // choices, writes the web book folder (created when missing) or the application bundle,
    // then the phone version when asked for beside a web book, and returns the file to offer
    // to open: the HTML page, or the bundle. Throws Error: Usage for an empty folder or a name
    // that is not a plain file name, Output when the book, or some of its files, could not be
    // written (the folder keeps what was written).
    QString publish(const PublishChoices& choices, const std::function<OverwriteAnswer(const QString&)>& ask);

    const Warnings& warnings() const { return m_warnings; }
    // Why the phone version the last publish asked for was not written (for the message that
    // ends the publish); empty when it was written or not asked for.
    const QString& missingPhoneVersion() const { return m_missingPhoneVersion; }

    // What an output folder is, as far as replacing it goes.
    enum class OutputDirKind {
        Missing,         // nothing there
        NotAFolder,      // a file (or a link to one)
        ProtectedFolder, // home, Desktop, a root, or a folder holding the home folder
        PublishedBook,   // a real folder with a book's manifest or files/config.xml, or our bundle
        OtherFolder      // any other folder, or a link to a folder
    };
    static OutputDirKind classifyOutputDir(const QString& path);
    // Whether `path` is a folder publishing must never remove (see above). Symbolic links
    // are resolved first.
    static bool isProtectedFolder(const QString& path);

    // The informative text of the overwrite question.
    static QString overwriteQuestion();
    // confirmOverwrite: whether publishing into `path` (the book folder, or the application
    // bundle) may go on. Only a published book asks `ask`; "YES" and any other answer go on
    // (the previous book's files are replaced when the new book is swapped in, nothing else),
    // "NO" stops.
    static bool confirmOverwrite(const QString& path, const std::function<OverwriteAnswer(const QString&)>& ask);

    // Throws Error(Usage) for a name that is not a plain file name, Error(Output) for one too
    // long to be written ("<name>.html" over 255 bytes).
    static void checkBookName(const QString& name);
    // The book's file name for a name field text: the text with ".html" appended.
    static QString bookFileName(const QString& name) { return name + QStringLiteral(".html"); }
    // What a publish with these choices replaces: the folder, or the bundle inside it.
    static QString replacedPath(const PublishChoices& choices);
    // Whether the choices ask for a phone version: only beside a web book folder.
    static bool wantsMobile(const PublishChoices& c) { return c.createMobile == 1 && c.outputType == 0; }

private:
    BookSettings& settings() const;

    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<Template> m_template;
    std::shared_ptr<PageLinks> m_annotations;
    std::shared_ptr<Outline> m_outline;
    BookSettings* m_settings = nullptr;
    std::function<void(BookWriter&)> m_writerSetup;
    std::function<void(OutputMobileVersion&)> m_mobileSetup;
    std::function<bool(int, int)> m_progress;
    Warnings m_warnings;
    QString m_missingPhoneVersion;
};

} // namespace leafcraft
