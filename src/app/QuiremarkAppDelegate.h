// The application controller: owns the working book (the template with its values, the
// pages, the links and the bookmarks), runs start-up and termination, answers the main
// window's commands, keeps the live preview current and shows the pending-change animation
// between a property edit and the next regeneration. It sees the window only through
// AppWindow, so it runs (and is tested) without widgets. Main thread only.
#pragma once

#include "app/LivePreview.h"
#include "platform/NotificationCenter.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QTimer;

namespace leafcraft {

class AppWindow;
class FlashTemplate;
class FlashTemplateOutlineDelegate;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashOutline;

// What a confirmed import hands over (the import dialog's results).
struct ImportResult {
    std::shared_ptr<FlashPageSource> flashPageSource;
    std::shared_ptr<FlashPagesAnnotations> flashPagesAnnotations;
    std::shared_ptr<FlashOutline> flashOutline;
    int pageWidth = 0;
    int pageHeight = 0;
};

class QuiremarkAppDelegate : public QObject {
    Q_OBJECT
public:
    explicit QuiremarkAppDelegate(AppWindow* window, QObject* parent = nullptr);
    ~QuiremarkAppDelegate() override;

    virtual void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // ---- Commands of the main window.
    void OnImportPDF();
    void onSelectTemplate();
    void OnExportFlipBook();
    void OnApplyChange();
    void OnExportTmplSettings();
    void OnImportTmplSettings();
    void OnOpenHelp();
    void onOpenAbout();
    // Opens the page editor on the preview folder: the preview's page list gets an absolute
    // base path and becomes the only home of the links (the annotations are emptied).
    void OnPageEditor();

    // ---- Sheet ends (return code 1: confirmed).
    void importWindowDidEnd(int returnCode, const ImportResult& result);
    // `selectedStyle`: the chosen style's shot.jpg path, or a null text when none was chosen.
    void selectTmplWindowDidEnd(int returnCode, const QString& selectedStyle);
    // 1: the editor saved pages.xml (with relative paths); otherwise its base path is made
    // relative again. The preview is regenerated either way.
    void pageEditorWindowDidEnd(int returnCode);

    // ---- The live preview.
    void makeFlashPreviewFolder();
    void InitPageConfig(const QString& basePath);
    // Regenerates the preview; returns false (after logging "apply change :...") on failure.
    bool applyChange();
    void ReplaceXMLPath(bool absolute);
    void onTimerEvent();
    void removeFlashPreviewFolder();
    void tmplPpertyValueChanged();
    void updateTmplPropertyTip();

    // The full paths of the "jpg" resources in a resource sub-folder, sorted by name.
    static QStringList PageSource(const QString& folder);
    // The manual under one of the names the build renders it, or a null text when it is missing.
    static QString manualPath(const QString& fileName = QStringLiteral("quiremark pro for mac manual.pdf"));

    // "<book> – <template> (<style>) – Leafcraft", as the main window's title shows it.
    QString windowTitle() const;
    void updateWindowTitle();

    // ---- State.
    const std::shared_ptr<FlashTemplate>& flashTmpl() const { return iFlashTmpl; }
    FlashTemplateOutlineDelegate* tmplDelegate() const { return m_tmplDelegate; }
    const std::shared_ptr<FlashPageSource>& flashPageSource() const { return iFlashPageSource; }
    void setFlashPageSource(std::shared_ptr<FlashPageSource> s) { iFlashPageSource = std::move(s); }
    const std::shared_ptr<FlashPagesAnnotations>& flashPagesAnnotations() const { return iFlashPagesAnnotations; }
    void setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> a) { iFlashPagesAnnotations = std::move(a); }
    const std::shared_ptr<FlashOutline>& flashOutline() const { return iFlashOutline; }
    void setFlashOutline(std::shared_ptr<FlashOutline> o) { iFlashOutline = std::move(o); }
    const QString& flashPreviewFolder() const { return m_preview.flashPreviewFolder(); }
    bool neverEditor() const { return NeverEditor; }
    bool applyChangePending() const { return iApplyChangeTimer != nullptr; }
    int applyChangeTag() const { return m_applyTag; }
    void setApplyChangeTag(int tag) { m_applyTag = tag; }

private:
    AppWindow* m_window;
    std::shared_ptr<FlashTemplate> iFlashTmpl;
    FlashTemplateOutlineDelegate* m_tmplDelegate = nullptr;
    std::shared_ptr<FlashPageSource> iFlashPageSource;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations;
    std::shared_ptr<FlashOutline> iFlashOutline;
    QTimer* iApplyChangeTimer = nullptr;
    int m_applyTag = 0;
    LivePreview m_preview; // the preview folder (iFlashPreviewFolder) and its regeneration
    bool NeverEditor = true;
    ScopedObserver m_tipObserver;
    ScopedObserver m_changeObserver;
};

// The Leafcraft application's controller; all behaviour is the base class's.
class LeafcraftAppDelegate : public QuiremarkAppDelegate {
    Q_OBJECT
public:
    using QuiremarkAppDelegate::QuiremarkAppDelegate;
    void applicationDidFinishLaunching() override { QuiremarkAppDelegate::applicationDidFinishLaunching(); }
};

} // namespace leafcraft
