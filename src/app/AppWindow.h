// What the application controller asks of its main window. The desktop app's window
// implements it with widgets; tests implement it with a recorder. Every call is made on the
// main thread.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace leafcraft {

class FlashTemplate;
class FlashTemplateProperty;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashOutline;

class AppWindow {
public:
    virtual ~AppWindow() = default;

    virtual void hideWindow() = 0;
    virtual void showAndActivate() = 0;
    virtual void setWindowTitle(const QString& title) = 0;
    // Gives the window the main screen's full size at the origin.
    virtual void fillScreen() = 0;

    // The live preview shows this HTML file.
    virtual void loadPreview(const QString& htmlPath) = 0;
    // The property outline re-reads the template; with `expandAll` every item is expanded.
    virtual void reloadPropertyOutline(bool expandAll) = 0;
    // The property selected in the outline, or nullptr.
    virtual FlashTemplateProperty* selectedProperty() const = 0;
    // The description box: its title and text.
    virtual void showPropertyTip(const QString& title, const QString& description) = 0;
    // The "apply change" tool bar item's picture: "apply", or a frame "apply1".."apply3".
    virtual void setApplyChangeImage(const QString& name) = 0;
    // Long work started or ended (a busy cursor at least).
    virtual void setBusy(bool busy) = 0;

    // Sheets. Each begins a window-modal dialog and returns at once; its end reaches the
    // controller through the matching ...DidEnd operation.
    virtual void beginImportSheet() = 0;
    virtual void beginSelectTemplateSheet(const QString& currentTmplName) = 0;
    virtual void beginPublishSheet(std::shared_ptr<FlashTemplate> tmpl, std::shared_ptr<FlashPageSource> pages,
                                   std::shared_ptr<FlashOutline> outline,
                                   std::shared_ptr<FlashPagesAnnotations> annotations) = 0;
    // The page editor on the working folder; it ends in pageEditorWindowDidEnd.
    virtual void beginPageEditorSheet(const QString& workingFolder) = 0;

    // Panels: a path, or a null text when the user cancelled.
    virtual QString askSaveFile(const QString& title) = 0;
    virtual QString askOpenFile(const QString& title, const QStringList& extensions) = 0;
    virtual void openWithDefaultApp(const QString& path) = 0;
    virtual void showAbout() = 0;
    // A problem the user must act on.
    virtual void showError(const QString& message) = 0;
};

} // namespace leafcraft
