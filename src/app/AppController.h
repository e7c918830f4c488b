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
#include <utility>
#include <vector>

class QTimer;

namespace leafcraft {

class AppWindow;
class Template;
class TemplatePropertyModel;
class PageSource;
class PageLinks;
class Outline;

// What a confirmed import hands over (the import dialog's results).
struct ImportResult {
    std::shared_ptr<PageSource> pageSource;
    std::shared_ptr<PageLinks> pageLinks;
    std::shared_ptr<Outline> outline;
    int pageWidth = 0;
    int pageHeight = 0;
};

class AppController : public QObject {
    Q_OBJECT
public:
    explicit AppController(AppWindow* window, QObject* parent = nullptr);
    ~AppController() override;

    virtual void launch();
    void prepareToQuit();

    // ---- Commands of the main window.
    void onImportPdf();
    void onSelectTemplate();
    void onExportBook();
    void onApplyChange();
    void onExportTemplateSettings();
    void onImportTemplateSettings();
    void onOpenHelp();
    void onOpenAbout();
    // Opens the page editor on the preview folder: the preview's page list gets an absolute
    // base path and becomes the only home of the links (the annotations are emptied).
    void onPageEditor();

    // ---- Sheet ends (return code 1: confirmed).
    void importFinished(int returnCode, const ImportResult& result);
    // `selectedStyle`: the chosen style's shot.jpg path, or a null text when none was chosen.
    void templateSelectionFinished(int returnCode, const QString& selectedStyle);
    // 1: the editor saved pages.xml (with relative paths); otherwise its base path is made
    // relative again. The preview is regenerated either way.
    void pageEditorWindowDidEnd(int returnCode);

    // ---- The live preview.
    void makePreviewFolder();
    void preparePreviewFolder(const QString& basePath);
    // Regenerates the preview; returns false (after logging "apply change :...") on failure.
    bool applyChange();
    void rewritePageListPaths(bool absolute);
    void onTimerEvent();
    void removePreviewFolder();
    void templatePropertyValueChanged();
    void updateTemplatePropertyTip();

    // The full paths of the "jpg" resources in a resource sub-folder, sorted by name.
    static QStringList demoPageFiles(const QString& folder);
    // The manual under one of the names the build renders it, or a null text when it is missing.
    static QString manualPath(const QString& fileName = QStringLiteral("quiremark pro for mac manual.pdf"));

    // "<book> – <template> (<style>) – Leafcraft", as the main window's title shows it.
    QString windowTitle() const;
    void updateWindowTitle();

    // ---- State.
    const std::shared_ptr<Template>& bookTemplate() const { return m_template; }
    TemplatePropertyModel* templateDelegate() const { return m_templateDelegate; }
    const std::shared_ptr<PageSource>& pageSource() const { return m_pageSource; }
    void setPageSource(std::shared_ptr<PageSource> s) { m_pageSource = std::move(s); }
    const std::shared_ptr<PageLinks>& pageLinks() const { return m_annotations; }
    void setPageLinks(std::shared_ptr<PageLinks> a) { m_annotations = std::move(a); }
    const std::shared_ptr<Outline>& outline() const { return m_outline; }
    void setOutline(std::shared_ptr<Outline> o) { m_outline = std::move(o); }
    const QString& previewFolder() const { return m_preview.previewFolder(); }
    bool neverEditor() const { return m_neverEditor; }
    bool applyChangePending() const { return m_applyChangeTimer != nullptr; }
    int applyChangeTag() const { return m_applyTag; }
    void setApplyChangeTag(int tag) { m_applyTag = tag; }

private:
    // Puts back the values `before` (key, file) of the file properties the settings file just
    // applied named outside its folder, unless the user agrees to them, and of those that may
    // not go into a book at all (telling the user).
    void keepSettingsFilesOnlyWithConsent(const QString& settingsFile,
                                          const std::vector<std::pair<QString, QString>>& before);

    AppWindow* m_window;
    std::shared_ptr<Template> m_template;
    TemplatePropertyModel* m_templateDelegate = nullptr;
    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<PageLinks> m_annotations;
    std::shared_ptr<Outline> m_outline;
    QTimer* m_applyChangeTimer = nullptr;
    int m_applyTag = 0;
    LivePreview m_preview; // the preview folder (m_previewFolder) and its regeneration
    bool m_neverEditor = true;
    ScopedObserver m_tipObserver;
    ScopedObserver m_changeObserver;
};

} // namespace leafcraft
