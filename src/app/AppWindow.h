// What the application controller asks of its main window. The desktop app's window
// implements it with widgets; tests implement it with a recorder. Every call is made on the
// main thread.
#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>

namespace leafcraft {

class Template;
class TemplateProperty;
class PageSource;
class PageLinks;
class Outline;

class AppWindow {
public:
    virtual ~AppWindow() = default;

    virtual void hideWindow() = 0;
    virtual void showAndActivate() = 0;
    virtual void setWindowTitle(const QString& title) = 0;
    // Gives the window, frame and title bar included, the main screen's available area.
    virtual void fillScreen() = 0;

    // The live preview shows this HTML file.
    virtual void loadPreview(const QString& htmlPath) = 0;
    // The property outline re-reads the template; with `expandAll` every item is expanded.
    virtual void reloadPropertyOutline(bool expandAll) = 0;
    // The property selected in the outline, or nullptr.
    virtual TemplateProperty* selectedProperty() const = 0;
    // The description box: its title and text.
    virtual void showPropertyTip(const QString& title, const QString& description) = 0;
    // The "apply change" tool bar item's picture: "apply", or a frame "apply1".."apply3".
    virtual void setApplyChangeImage(const QString& name) = 0;
    // Long work started or ended (a busy cursor at least).
    virtual void setBusy(bool busy) = 0;
    // Runs long work and returns what it threw (or nullptr). `what` names it for the user
    // ("Updating the preview"). The work reports pages done of total through its callback,
    // which returns false once the user has cancelled. A window may run it on another thread
    // while it shows the progress; without one it runs here and cannot be cancelled.
    using ProgressCallback = std::function<bool(int done, int total)>;
    virtual std::exception_ptr runLongWork(const QString& what, const std::function<void(const ProgressCallback&)>& work)
    {
        (void)what;
        try {
            work([](int, int) { return true; });
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    }

    // Sheets. Each begins a window-modal dialog and returns at once; its end reaches the
    // controller through the matching ...DidEnd operation.
    virtual void beginImportSheet() = 0;
    virtual void beginSelectTemplateSheet(const QString& currentTmplName) = 0;
    virtual void beginPublishSheet(std::shared_ptr<Template> tmpl, std::shared_ptr<PageSource> pages,
                                   std::shared_ptr<Outline> outline,
                                   std::shared_ptr<PageLinks> annotations) = 0;
    // The page editor on the working folder; it ends in pageEditorWindowDidEnd.
    virtual void beginPageEditorSheet(const QString& workingFolder) = 0;

    // Panels: a path, or a null text when the user cancelled.
    virtual QString askSaveFile(const QString& title) = 0;
    virtual QString askOpenFile(const QString& title, const QStringList& extensions) = 0;
    virtual void openWithDefaultApp(const QString& path) = 0;
    virtual void showAbout() = 0;
    // A problem the user must act on.
    virtual void showError(const QString& message) = 0;
    // A yes/no question; true when the user said yes. A window that cannot ask says no.
    virtual bool askYesNo(const QString& message)
    {
        (void)message;
        return false;
    }
};

} // namespace leafcraft
