#include "app/AppController.h"

#include "annotations/Outline.h"
#include "annotations/PdfPageLinks.h"
#include "app/AppLog.h"
#include "app/LivePreview.h"
#include "app/AppWindow.h"
#include "import/PageSource.h"
#include "import/ImagePageSource.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/CubeImages.h"
#include "publish/FilePropertyCheck.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

#ifndef LEAFCRAFT_VERSION
#define LEAFCRAFT_VERSION "0"
#endif

namespace leafcraft {

AppController::AppController(AppWindow* window, QObject* parent)
    : QObject(parent), m_window(window)
{
}

AppController::~AppController() = default;

QStringList AppController::demoPageFiles(const QString& folder)
{
    // The demonstration pages ship under AppFiles/; a folder directly in the resources serves too.
    const Resources& res = Platform::current().resources();
    QDir dir(res.appFilesDir() + QLatin1Char('/') + folder);
    if (!dir.exists())
        dir.setPath(res.path(folder));
    QStringList out;
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        out << f.absoluteFilePath();
    return out;
}

QString AppController::manualPath(const QString& fileName)
{
    // The build renders the manual beside the program; an installed program finds it in its
    // resource folder.
    const QString name = QStringLiteral("Quiremark for mac Help/") + fileName;
    const QStringList candidates = {executableDir() + QLatin1String("/resources/") + name,
                                    Platform::current().resources().path(name)};
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c;
    return QString();
}

void AppController::launch()
{
    AppLog::setUpLog();
    m_window->hideWindow();
    LC_INFO(QStringLiteral("version is:%1").arg(QStringLiteral(LEAFCRAFT_VERSION)));
    m_window->showAndActivate();
    m_window->setWindowTitle(QStringLiteral("Leafcraft"));
    m_window->fillScreen();

    auto demo = std::make_shared<ImagePageSource>();
    for (const QString& path : demoPageFiles(QStringLiteral("DemoImgs_standard/large")))
        demo->addImgPageFromFile(path);
    demo->generateNormalPages();
    m_pageSource = demo;
    m_neverEditor = true;

    m_template = std::make_shared<Template>();
    m_templateDelegate = new TemplatePropertyModel(this);
    m_templateDelegate->setTemplate(m_template.get());
    m_window->reloadPropertyOutline(true);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    m_tipObserver = ScopedObserver(center, PropertyTipNotification, nullptr,
                                   [this](const Notification&) { updateTemplatePropertyTip(); });
    m_changeObserver = ScopedObserver(center, PropertyValueChangedNotification, nullptr,
                                      [this](const Notification&) { templatePropertyValueChanged(); });

    preparePreviewFolder(QStringLiteral(""));
    applyChange();
    updateWindowTitle();
}

QString AppController::windowTitle() const
{
    // "<book> – <template> (<style>) – Leafcraft": the book is the imported PDF's name.
    QStringList parts;
    const QString source = m_pageSource ? m_pageSource->sourceFile() : QString();
    parts << (source.isEmpty() ? tr("Demonstration book") : QFileInfo(source).completeBaseName());
    if (m_template && !m_template->templateName().isEmpty())
        parts << (m_template->styleName().isEmpty()
                      ? m_template->templateName()
                      : QStringLiteral("%1 (%2)").arg(m_template->templateName(), m_template->styleName()));
    parts << QStringLiteral("Leafcraft");
    return parts.join(QStringLiteral(" – "));
}

void AppController::updateWindowTitle()
{
    m_window->setWindowTitle(windowTitle());
}

void AppController::prepareToQuit()
{
    // The converters' work folders go with their page sources below: only this run's.
    m_tipObserver.reset();
    m_changeObserver.reset();
    if (m_templateDelegate)
        m_templateDelegate->setTemplate(nullptr);
    m_template.reset();
    m_pageSource.reset();
    removePreviewFolder();
}

// ------------------------------------------------------------------ commands

void AppController::onImportPdf()
{
    m_window->beginImportSheet();
}

void AppController::onSelectTemplate()
{
    m_window->beginSelectTemplateSheet(m_template ? m_template->templateName() : QString());
}

void AppController::onExportBook()
{
    m_window->beginPublishSheet(m_template, m_pageSource, m_outline, m_annotations);
}

void AppController::onApplyChange()
{
    applyChange();
}

void AppController::onExportTemplateSettings()
{
    if (!m_template)
        return;
    QString path = m_window->askSaveFile(tr("Export settings"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(".txt");
    if (!m_template->exportPropertiesSettingsTo(path))
        m_window->showError(tr("The settings could not be written to %1.").arg(path));
}

void AppController::onImportTemplateSettings()
{
    if (!m_template)
        return;
    const QString path = m_window->askOpenFile(tr("Import settings"), {QStringLiteral("txt")});
    if (path.isEmpty())
        return;
    // The file values as they were, for those the settings file may not bring in.
    std::vector<std::pair<QString, QString>> before;
    for (const OutsideFile& f : outsideFiles(*m_template))
        before.emplace_back(f.key, f.path);
    if (!m_template->importPropertiesSettingsFrom(path))
        m_window->showError(tr("The settings file %1 could not be read.").arg(path));
    keepSettingsFilesOnlyWithConsent(path, before);
    m_window->reloadPropertyOutline(true);
    applyChange();
}

void AppController::keepSettingsFilesOnlyWithConsent(
    const QString& settingsFile, const std::vector<std::pair<QString, QString>>& before)
{
    const std::vector<SettingsFileProblem> problems = settingsFileProblems(*m_template, settingsFile, {});
    if (problems.empty())
        return;
    QStringList outside, refused;
    for (const SettingsFileProblem& p : problems)
        (p.outsideOnly ? outside : refused) << QStringLiteral("%1: %2").arg(p.file.key, p.file.path);
    const bool consent = refused.isEmpty()
        && m_window->askYesNo(tr("The settings file names files outside its folder:\n%1\n\nShould the book carry them?")
                                  .arg(outside.join(QLatin1Char('\n'))));
    if (consent)
        return;
    for (const SettingsFileProblem& p : problems) {
        TemplateProperty* property = m_template->findProperty(p.file.key);
        auto old = std::find_if(before.begin(), before.end(), [&](const auto& b) { return b.first == p.file.key; });
        if (property)
            property->setValue(old == before.end() ? QString() : old->second);
    }
    if (!refused.isEmpty())
        m_window->showError(tr("The settings file names files that cannot go into a book; they were left out:\n%1")
                                .arg((refused + outside).join(QLatin1Char('\n'))));
}

void AppController::onOpenHelp()
{
    const QString path = manualPath();
    if (path.isEmpty())
        m_window->showError(tr("The user manual is not installed with this copy of Leafcraft."));
    else
        m_window->openWithDefaultApp(path);
}

void AppController::onOpenAbout()
{
    m_window->showAbout();
}

void AppController::onPageEditor()
{
    rewritePageListPaths(true);
    if (m_annotations)
        m_annotations = std::make_shared<PdfPageLinks>();
    m_window->beginPageEditorSheet(m_preview.previewFolder());
}

// ------------------------------------------------------------------ dialogs ending

void AppController::pageEditorWindowDidEnd(int returnCode)
{
    if (returnCode == 1)
        m_neverEditor = false;
    else
        rewritePageListPaths(false);
    applyChange();
}

void AppController::importFinished(int returnCode, const ImportResult& result)
{
    if (returnCode != 1)
        return;
    m_preview.removePageList();
    m_neverEditor = true;
    if (m_template) {
        m_template->setPropertyValue(QStringLiteral("pageWidth"), QString::number(result.pageWidth));
        m_template->setPropertyValue(QStringLiteral("pageHeight"), QString::number(result.pageHeight));
    }
    preparePreviewFolder(QStringLiteral(""));
    setPageSource(result.pageSource);
    setPageLinks(result.pageLinks);
    setOutline(result.outline);
    m_window->reloadPropertyOutline(true);
    applyChange();
}

void AppController::templateSelectionFinished(int returnCode, const QString& selectedStyle)
{
    if (returnCode != 1 || selectedStyle.isEmpty() || !m_template)
        return;
    const QString styleFolder = QFileInfo(selectedStyle).absolutePath();
    const QString templateName = QFileInfo(QFileInfo(styleFolder).absolutePath()).fileName();
    m_template->changeTemplateTo(templateName, styleFolder);
    if (m_templateDelegate)
        m_templateDelegate->reload();
    m_window->reloadPropertyOutline(true);

    placeCubeImages(m_preview.previewFolder(), templateName, styleFolder);
    applyChange();
}

// ------------------------------------------------------------------ preview

void AppController::makePreviewFolder()
{
    m_preview.makePreviewFolder();
}

void AppController::preparePreviewFolder(const QString& basePath)
{
    m_preview.preparePreviewFolder(basePath);
}

bool AppController::applyChange()
{
    if (m_applyChangeTimer) {
        m_applyChangeTimer->stop();
        m_applyChangeTimer->deleteLater();
        m_applyChangeTimer = nullptr;
    }
    m_window->setApplyChangeImage(QStringLiteral("apply"));
    m_window->setBusy(true);
    QString page;
    m_window->runLongWork(tr("Updating the preview"), [this, &page](const AppWindow::ProgressCallback& progress) {
        page = m_preview.applyChange(m_template, m_pageSource, m_annotations, m_outline, progress);
    });
    m_window->setBusy(false);
    updateWindowTitle();
    if (page.isNull())
        return false; // logged; the window keeps what it showed
    m_window->loadPreview(page);
    return true;
}

void AppController::templatePropertyValueChanged()
{
    if (m_applyChangeTimer)
        return;
    m_applyChangeTimer = new QTimer(this);
    m_applyChangeTimer->setInterval(330);
    connect(m_applyChangeTimer, &QTimer::timeout, this, &AppController::onTimerEvent);
    m_applyChangeTimer->start();
}

void AppController::onTimerEvent()
{
    m_applyTag = (m_applyTag + 1) % 3;
    m_window->setApplyChangeImage(QStringLiteral("apply%1").arg(m_applyTag + 1));
}

void AppController::updateTemplatePropertyTip()
{
    if (TemplateProperty* p = m_window->selectedProperty())
        m_window->showPropertyTip(p->title(), p->desc());
}

void AppController::rewritePageListPaths(bool absolute)
{
    m_preview.rewritePageListPaths(absolute);
}

void AppController::removePreviewFolder()
{
    m_preview.removePreviewFolder();
}

} // namespace leafcraft
