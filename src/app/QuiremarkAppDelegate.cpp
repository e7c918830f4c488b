#include "app/QuiremarkAppDelegate.h"

#include "annotations/FlashOutline.h"
#include "annotations/FlashPagesAnnotationsPDF.h"
#include "app/AppLog.h"
#include "app/LivePreview.h"
#include "app/AppWindow.h"
#include "import/FlashPageSource.h"
#include "import/FlashPageSourceImg.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/CubeImages.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateOutlineDelegate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#ifndef LEAFCRAFT_VERSION
#define LEAFCRAFT_VERSION "0"
#endif

namespace leafcraft {

QuiremarkAppDelegate::QuiremarkAppDelegate(AppWindow* window, QObject* parent)
    : QObject(parent), m_window(window)
{
}

QuiremarkAppDelegate::~QuiremarkAppDelegate() = default;

QStringList QuiremarkAppDelegate::PageSource(const QString& folder)
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

QString QuiremarkAppDelegate::manualPath(const QString& fileName)
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

void QuiremarkAppDelegate::applicationDidFinishLaunching()
{
    AppLog::prepaireTheLog();
    m_window->hideWindow();
    LC_INFO(QStringLiteral("version is:%1").arg(QStringLiteral(LEAFCRAFT_VERSION)));
    m_window->showAndActivate();
    m_window->setWindowTitle(QStringLiteral("Leafcraft"));
    m_window->fillScreen();

    auto demo = std::make_shared<FlashPageSourceImg>();
    for (const QString& path : PageSource(QStringLiteral("DemoImgs_standard/large")))
        demo->addImgPageFromFile(path);
    demo->generateNormalPages();
    iFlashPageSource = demo;
    NeverEditor = true;

    iFlashTmpl = std::make_shared<FlashTemplate>();
    m_tmplDelegate = new FlashTemplateOutlineDelegate(this);
    m_tmplDelegate->setFlashTmpl(iFlashTmpl.get());
    m_window->reloadPropertyOutline(true);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    m_tipObserver = ScopedObserver(center, UpdateFlashTmplProTipNotification, nullptr,
                                   [this](const Notification&) { updateTmplPropertyTip(); });
    m_changeObserver = ScopedObserver(center, FlashTmplProValueChangedNotification, nullptr,
                                      [this](const Notification&) { tmplPpertyValueChanged(); });

    InitPageConfig(QStringLiteral(""));
    applyChange();
    updateWindowTitle();
}

QString QuiremarkAppDelegate::windowTitle() const
{
    // "<book> – <template> (<style>) – Leafcraft": the book is the imported PDF's name.
    QStringList parts;
    const QString source = iFlashPageSource ? iFlashPageSource->sourceFile() : QString();
    parts << (source.isEmpty() ? tr("Demonstration book") : QFileInfo(source).completeBaseName());
    if (iFlashTmpl && !iFlashTmpl->tmplName().isEmpty())
        parts << (iFlashTmpl->styleName().isEmpty()
                      ? iFlashTmpl->tmplName()
                      : QStringLiteral("%1 (%2)").arg(iFlashTmpl->tmplName(), iFlashTmpl->styleName()));
    parts << QStringLiteral("Leafcraft");
    return parts.join(QStringLiteral(" – "));
}

void QuiremarkAppDelegate::updateWindowTitle()
{
    m_window->setWindowTitle(windowTitle());
}

void QuiremarkAppDelegate::applicationWillTerminate()
{
    // The converters' work folders go with their page sources below: only this run's.
    m_tipObserver.reset();
    m_changeObserver.reset();
    if (m_tmplDelegate)
        m_tmplDelegate->setFlashTmpl(nullptr);
    iFlashTmpl.reset();
    iFlashPageSource.reset();
    removeFlashPreviewFolder();
}

// ------------------------------------------------------------------ commands

void QuiremarkAppDelegate::OnImportPDF()
{
    m_window->beginImportSheet();
}

void QuiremarkAppDelegate::onSelectTemplate()
{
    m_window->beginSelectTemplateSheet(iFlashTmpl ? iFlashTmpl->tmplName() : QString());
}

void QuiremarkAppDelegate::OnExportFlipBook()
{
    m_window->beginPublishSheet(iFlashTmpl, iFlashPageSource, iFlashOutline, iFlashPagesAnnotations);
}

void QuiremarkAppDelegate::OnApplyChange()
{
    applyChange();
}

void QuiremarkAppDelegate::OnExportTmplSettings()
{
    if (!iFlashTmpl)
        return;
    QString path = m_window->askSaveFile(tr("Export settings"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(".txt");
    if (!iFlashTmpl->exportPropertiesSettingsTo(path))
        m_window->showError(tr("The settings could not be written to %1.").arg(path));
}

void QuiremarkAppDelegate::OnImportTmplSettings()
{
    if (!iFlashTmpl)
        return;
    const QString path = m_window->askOpenFile(tr("Import settings"), {QStringLiteral("txt")});
    if (path.isEmpty())
        return;
    if (!iFlashTmpl->importPropertiesSettingsFrom(path))
        m_window->showError(tr("The settings file %1 could not be read.").arg(path));
    m_window->reloadPropertyOutline(true);
    applyChange();
}

void QuiremarkAppDelegate::OnOpenHelp()
{
    const QString path = manualPath();
    if (path.isEmpty())
        m_window->showError(tr("The user manual is not installed with this copy of Leafcraft."));
    else
        m_window->openWithDefaultApp(path);
}

void QuiremarkAppDelegate::onOpenAbout()
{
    m_window->showAbout();
}

void QuiremarkAppDelegate::OnPageEditor()
{
    ReplaceXMLPath(true);
    if (iFlashPagesAnnotations)
        iFlashPagesAnnotations = std::make_shared<FlashPagesAnnotationsPDF>();
    m_window->beginPageEditorSheet(m_preview.flashPreviewFolder());
}

// ------------------------------------------------------------------ dialogs ending

void QuiremarkAppDelegate::pageEditorWindowDidEnd(int returnCode)
{
    if (returnCode == 1)
        NeverEditor = false;
    else
        ReplaceXMLPath(false);
    applyChange();
}

void QuiremarkAppDelegate::importWindowDidEnd(int returnCode, const ImportResult& result)
{
    if (returnCode != 1)
        return;
    m_preview.removePageList();
    NeverEditor = true;
    if (iFlashTmpl) {
        iFlashTmpl->setPropertyValue(QStringLiteral("pageWidth"), QString::number(result.pageWidth));
        iFlashTmpl->setPropertyValue(QStringLiteral("pageHeight"), QString::number(result.pageHeight));
    }
    InitPageConfig(QStringLiteral(""));
    setFlashPageSource(result.flashPageSource);
    setFlashPagesAnnotations(result.flashPagesAnnotations);
    setFlashOutline(result.flashOutline);
    m_window->reloadPropertyOutline(true);
    applyChange();
}

void QuiremarkAppDelegate::selectTmplWindowDidEnd(int returnCode, const QString& selectedStyle)
{
    if (returnCode != 1 || selectedStyle.isEmpty() || !iFlashTmpl)
        return;
    const QString styleFolder = QFileInfo(selectedStyle).absolutePath();
    const QString tmplName = QFileInfo(QFileInfo(styleFolder).absolutePath()).fileName();
    iFlashTmpl->changeTmplTo(tmplName, styleFolder);
    if (m_tmplDelegate)
        m_tmplDelegate->reload();
    m_window->reloadPropertyOutline(true);

    placeCubeImages(m_preview.flashPreviewFolder(), tmplName, styleFolder);
    applyChange();
}

// ------------------------------------------------------------------ preview

void QuiremarkAppDelegate::makeFlashPreviewFolder()
{
    m_preview.makeFlashPreviewFolder();
}

void QuiremarkAppDelegate::InitPageConfig(const QString& basePath)
{
    m_preview.InitPageConfig(basePath);
}

bool QuiremarkAppDelegate::applyChange()
{
    if (iApplyChangeTimer) {
        iApplyChangeTimer->stop();
        iApplyChangeTimer->deleteLater();
        iApplyChangeTimer = nullptr;
    }
    m_window->setApplyChangeImage(QStringLiteral("apply"));
    m_window->setBusy(true);
    QString page;
    m_window->runLongWork(tr("Updating the preview"), [this, &page](const AppWindow::ProgressCallback& progress) {
        page = m_preview.applyChange(iFlashTmpl, iFlashPageSource, iFlashPagesAnnotations, iFlashOutline, progress);
    });
    m_window->setBusy(false);
    updateWindowTitle();
    if (page.isNull())
        return false; // logged; the window keeps what it showed
    m_window->loadPreview(page);
    return true;
}

void QuiremarkAppDelegate::tmplPpertyValueChanged()
{
    if (iApplyChangeTimer)
        return;
    iApplyChangeTimer = new QTimer(this);
    iApplyChangeTimer->setInterval(330);
    connect(iApplyChangeTimer, &QTimer::timeout, this, &QuiremarkAppDelegate::onTimerEvent);
    iApplyChangeTimer->start();
}

void QuiremarkAppDelegate::onTimerEvent()
{
    m_applyTag = (m_applyTag + 1) % 3;
    m_window->setApplyChangeImage(QStringLiteral("apply%1").arg(m_applyTag + 1));
}

void QuiremarkAppDelegate::updateTmplPropertyTip()
{
    if (FlashTemplateProperty* p = m_window->selectedProperty())
        m_window->showPropertyTip(p->title(), p->desc());
}

void QuiremarkAppDelegate::ReplaceXMLPath(bool absolute)
{
    m_preview.ReplaceXMLPath(absolute);
}

void QuiremarkAppDelegate::removeFlashPreviewFolder()
{
    m_preview.removeFlashPreviewFolder();
}

} // namespace leafcraft
