// The page editor's bridge: the object the editor page's script talks to, published to the
// page under the name "myconnector". The page shows the working folder's page list
// (pages.xml, with its base path made absolute while the editor is open) and calls the
// bridge to bring files in, throw them out and save. The bridge copies picked files into
// the working folder's files/editor, deletes them from there only, and replaces pages.xml
// only with a well-formed page list of the same length.
//
// Everything that needs a window goes through PageEditorHost: the file pickers, calling a
// script function of the page, ending the editor and opening the manual. The invokable
// names are the ones the page's script uses; they must not change. Calls that need the page's
// answer first give their result as a future, which the script receives once it is ready.
//
// Main thread only.
#pragma once

#include <QFuture>
#include <QObject>
#include <QString>
#include <QStringList>

namespace leafcraft {

class PageEditorHost {
public:
    virtual ~PageEditorHost() = default;
    // Runs a file picker for existing files with one of `extensions` (lower case, no dot);
    // returns the chosen paths in order, or nothing when the user cancelled.
    virtual QStringList chooseFiles(const QString& title, const QStringList& extensions, bool several) = 0;
    // Calls a script function of the page (e.g. "GetPageConfig()"); the future gives its value
    // as text, a null text when the page gave no text. A page answers only after the script
    // call in progress has returned, hence the future.
    virtual QFuture<QString> callPageFunction(const QString& call) = 0;
    // Closes the editor with its end code: 1 saved, 0 left without saving.
    virtual void endEditor(int code) = 0;
    // Opens the user manual.
    virtual void openManual() = 0;
};

class PageEditorBridge : public QObject {
    Q_OBJECT
public:
    explicit PageEditorBridge(PageEditorHost* host, QObject* parent = nullptr);

    // Prepares an editing session on `workingFolder`: copies the editor page (PageEditor.html
    // with its script and style, and PageEditor.swf when the resources have one) from the
    // resource folder into the working folder, replacing earlier copies. Returns false, with
    // errorText() saying why, when the folder has no page list or the page cannot be copied.
    bool open(const QString& workingFolder);
    const QString& errorText() const { return m_error; }
    // The editor page in the working folder, to load as a file URL.
    QString pagePath() const;
    const QString& workingFolder() const { return m_folder; }

    // "ddMMyyHHmmss" of the platform clock (two-digit week-based year).
    static QString formatDate();
    // Copies `source` to files/editor/<stamp>.<ext> (a free name: "-2", "-3", ... is added
    // when a file of that name exists) and returns "editor/<name>", or "" when it fails.
    QString copyToAttachment(const QString& source);
    // Copies `source` to files/editor/<folder>/<its own name> and returns "editor/<folder>/<name>",
    // or "" when it fails. A file already there is kept and its path returned.
    QString copyToAttachmentKeepingName(const QString& source, const QString& folder);

    // ---- What the page's script calls.
    Q_INVOKABLE QString SelectImageFile();
    // Asks the page "ReName()" first: "YES" gives each file a new name (copyToAttachment),
    // anything else keeps the names in a folder named after the moment of picking.
    Q_INVOKABLE QFuture<QString> OnSelectImageFiles();
    Q_INVOKABLE QString OnSelectSWFFile();
    Q_INVOKABLE QString OnSelectMovieFile();
    Q_INVOKABLE QString OnSelectMusicFile();
    // Deletes files/<relativePath>, only when it names a file inside files/editor (no "..",
    // not absolute, no symbolic link on the way); anything else is refused and logged.
    Q_INVOKABLE void OnDeleteFile(const QString& relativePath);
    // Takes the page list from the page ("GetPageConfig()"), turns its absolute file paths back
    // into paths relative to files/, and replaces pages.xml with it (write and rename) when it
    // is a well-formed page list with a Pages root and as many pages as before. Returns "" when
    // saved, otherwise why not (pages.xml is then unchanged).
    Q_INVOKABLE QFuture<QString> Save();
    // Save, then closes the editor with code 1; when saving fails the editor stays open and
    // the reason is returned.
    Q_INVOKABLE QFuture<QString> SaveAndExit();

    // The steps after the page's answer.
    QString copyPictures(bool rename);
    QString savePageList(QString text);
    // Closes the editor with code 0.
    Q_INVOKABLE void Exit();
    Q_INVOKABLE void OpenHelp();

private:
    QString selectOne(const QString& title, const QStringList& extensions);
    QString editorFolder() const;

    PageEditorHost* m_host;
    QString m_folder;
    QString m_error;
};

} // namespace leafcraft
