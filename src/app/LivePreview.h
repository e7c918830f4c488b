// The live preview's book: an ordinary publication into a private preview folder, regenerated
// whenever the working book changes, whose HTML page the main window shows. This is the part
// of the application controller that needs no window: the folder, the regeneration and the
// base-path rewriting of the preview's page list around the page editor.
//
// Main thread only.
#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace leafcraft {

class Outline;
class PageSource;
class PageLinks;
class Template;

class LivePreview {
public:
    LivePreview() = default;
    ~LivePreview();
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    // "" until the folder has been made.
    const QString& previewFolder() const { return m_previewFolder; }

    // Creates this instance's own preview folder "<Application Support>/Quiresheet/preview-XXXXXX"
    // (mode 0700; without an Application Support folder, in a private temporary folder) beside
    // its lock file "preview-XXXXXX.lock" (the process id, locked while the instance runs), after
    // removing the previews whose owners are gone, and makes it the writers' working folder.
    // Two instances never share a preview,
    // and a new start never sees an earlier one's page list.
    void makePreviewFolder();
    // Makes sure the preview folder exists (every caller passes "").
    void preparePreviewFolder(const QString& basePath);

    // Writes the book into the preview folder with the HTML page "index.html" titled "Preview"
    // and returns that page's path. The preview's pages.xml, once written, is kept: it is the
    // master page list (the page editor edits it; an import deletes it first). Any error is
    // logged ("apply change :...") and gives a null path: the caller keeps showing what it showed.
    // `progress` hears of the pages written; when it returns false the regeneration stops
    // (a null path too). Runs on any one thread at a time; the book must not change meanwhile.
    QString applyChange(const std::shared_ptr<Template>& bookTemplate,
                        const std::shared_ptr<PageSource>& pageSource,
                        const std::shared_ptr<PageLinks>& annotations,
                        const std::shared_ptr<Outline>& outline,
                        const std::function<bool(int done, int total)>& progress = {});

    // Rewrites the base path of the preview's page list: with true the empty `bace=""` becomes
    // `bace="<preview folder>/files/"` (for the page editor), with false every quoted
    // "<preview folder>/files/" becomes "" again. Plain text replacement; nothing happens when
    // the page list does not exist.
    void rewritePageListPaths(bool absolute);

    // Deletes the page list so that the next regeneration writes a fresh one (import end).
    void removePageList();
    // Deletes the preview folder with its contents.
    void removePreviewFolder();

private:
    QString m_previewFolder = QStringLiteral("");
    int m_lockFd = -1;
};

} // namespace leafcraft
