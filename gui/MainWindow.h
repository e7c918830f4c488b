// The main window: tool bar, property outline with its description box, and the live
// preview in a web view. It only shows and forwards; the controller decides.
#pragma once

#include "app/AppWindow.h"

#include <QHash>
#include <QKeySequence>
#include <QMainWindow>

class QAction;
class QGroupBox;
class QTextEdit;
class QTimer;
class QTreeView;
class QWebEngineView;

namespace leafcraft {
class AppController;
}

namespace leafcraft::gui {

class MainWindow : public QMainWindow, public AppWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    void setDelegate(AppController* delegate);
    AppController* delegate() const { return m_delegate; }
    QTreeView* outlineView() const { return m_outline; }
    QWebEngineView* webView() const { return m_webView; }
    QAction* action(const QString& name) const;

    // AppWindow
    void hideWindow() override;
    void showAndActivate() override;
    void setWindowTitle(const QString& title) override;
    void fillScreen() override;
    void loadPreview(const QString& htmlPath) override;
    void reloadPropertyOutline(bool expandAll) override;
    TemplateProperty* selectedProperty() const override;
    void showPropertyTip(const QString& title, const QString& description) override;
    void setApplyChangeImage(const QString& name) override;
    void setBusy(bool busy) override;
    std::exception_ptr runLongWork(const QString& what,
                                   const std::function<void(const ProgressCallback&)>& work) override;
    void beginImportSheet() override;
    void beginSelectTemplateSheet(const QString& currentTmplName) override;
    void beginPublishSheet(std::shared_ptr<Template> tmpl, std::shared_ptr<PageSource> pages,
                           std::shared_ptr<Outline> outline,
                           std::shared_ptr<PageLinks> annotations) override;
    void beginPageEditorSheet(const QString& workingFolder) override;
    QString askSaveFile(const QString& title) override;
    QString askOpenFile(const QString& title, const QStringList& extensions) override;
    void openWithDefaultApp(const QString& path) override;
    void showAbout() override;
    void showError(const QString& message) override;
    bool askYesNo(const QString& message) override;

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void buildMenuBar();
    // `text` is the menu's text (with its mnemonic and an ellipsis when the command asks more),
    // `iconText` the tool bar's.
    QAction* addCommand(const QString& name, const QString& text, const QString& iconText, const QString& tip,
                        const QKeySequence& shortcut, void (AppController::*slot)());
    // Keeps the frame, title bar included, inside the screen's available area.
    void fitFrameToScreen();
    QRect availableArea() const;

    AppController* m_delegate = nullptr;
    QTreeView* m_outline = nullptr;
    QGroupBox* m_tipBox = nullptr;
    QTextEdit* m_tip = nullptr;
    QWebEngineView* m_webView = nullptr;
    QAction* m_applyAction = nullptr;
    QHash<QString, QAction*> m_actions;
    int m_busy = 0;
    QTimer* m_fitTimer = nullptr; // checks the placement until the frame is known
    int m_fitTicks = 0;
};

} // namespace leafcraft::gui
