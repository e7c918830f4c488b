// The page editor's window: a window-modal sheet over the main window that shows the editor
// page of the working folder in a web view and publishes the bridge to it as "myconnector".
// It ends with code 1 when the page saved and exited, 0 otherwise (also when closed).
#pragma once

#include "editor/PageEditorBridge.h"

#include <QDialog>
#include <functional>

class QWebChannel;
class QWebEngineView;

namespace leafcraft::gui {

class PageEditorWindow : public QDialog, private PageEditorHost {
    Q_OBJECT
public:
    explicit PageEditorWindow(QWidget* parent = nullptr);
    ~PageEditorWindow() override;

    // Copies the editor page into `workingFolder` and loads it; false (with errorText()) when
    // the folder cannot be edited.
    bool openFolder(const QString& workingFolder);
    const QString& errorText() const { return m_bridge.errorText(); }

    PageEditorBridge& bridge() { return m_bridge; }
    QWebEngineView* webView() const { return m_view; }

    // Replaces the file dialogs (for tests): called with the title, the extensions and whether
    // several files may be chosen.
    using FileChooser = std::function<QStringList(const QString&, const QStringList&, bool)>;
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // Escape or the close button: the page's own exit, which asks about unsaved changes.
    void reject() override;

    // Largest size of the sheet.
    static constexpr int kMaxWidth = 1440;
    static constexpr int kMaxHeight = 720;

private:
    QStringList chooseFiles(const QString& title, const QStringList& extensions, bool several) override;
    QFuture<QString> callPageFunction(const QString& call) override;
    void endEditor(int code) override;
    void openManual() override;

    PageEditorBridge m_bridge;
    QWebEngineView* m_view = nullptr;
    QWebChannel* m_channel = nullptr;
    FileChooser m_chooser;
};

} // namespace leafcraft::gui
