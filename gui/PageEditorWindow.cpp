#include "PageEditorWindow.h"

#include "app/AppController.h"

#include <QDesktopServices>
#include <QPointer>
#include <QPromise>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace leafcraft::gui {

namespace {

// Qt's channel client, then the bridge as window.myconnector; the page hears
// "myconnectorready" once it can call it.
QString bridgeScript()
{
    QFile client(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    client.open(QIODevice::ReadOnly);
    return QString::fromUtf8(client.readAll()) + QStringLiteral(R"(
new QWebChannel(qt.webChannelTransport, function (channel) {
    window.myconnector = channel.objects.myconnector;
    window.dispatchEvent(new Event('myconnectorready'));
});
)");
}

} // namespace

PageEditorWindow::PageEditorWindow(QWidget* parent) : QDialog(parent), m_bridge(this)
{
    setWindowTitle(tr("Page editor"));
    setWindowModality(Qt::WindowModal);
    setMaximumSize(kMaxWidth, kMaxHeight);
    const QSize room = parent ? parent->size() : QSize(kMaxWidth, kMaxHeight);
    resize(qBound(640, room.width() - 40, kMaxWidth), qBound(480, room.height() - 40, kMaxHeight));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("pageEditor"));
    layout->addWidget(m_view);
    // The page reads pages.xml and shows the book's pictures from its own folder.
    m_view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);

    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("myconnector"), &m_bridge);
    m_view->page()->setWebChannel(m_channel);
    QWebEngineScript script;
    script.setName(QStringLiteral("myconnector"));
    script.setSourceCode(bridgeScript());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    m_view->page()->scripts().insert(script);
}

PageEditorWindow::~PageEditorWindow() = default;

bool PageEditorWindow::openFolder(const QString& workingFolder)
{
    if (!m_bridge.open(workingFolder))
        return false;
    m_view->load(QUrl::fromLocalFile(m_bridge.pagePath()));
    return true;
}

QStringList PageEditorWindow::chooseFiles(const QString& title, const QStringList& extensions, bool several)
{
    if (m_chooser)
        return m_chooser(title, extensions, several);
    QStringList patterns;
    for (const QString& e : extensions)
        patterns << QStringLiteral("*.") + e << QStringLiteral("*.") + e.toUpper();
    const QString filter = tr("Files (%1)").arg(patterns.join(QLatin1Char(' ')));
    if (several)
        return QFileDialog::getOpenFileNames(this, title, QString(), filter);
    const QString one = QFileDialog::getOpenFileName(this, title, QString(), filter);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QFuture<QString> PageEditorWindow::callPageFunction(const QString& call)
{
    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    m_view->page()->runJavaScript(call, [promise](const QVariant& value) {
        promise->addResult(value.typeId() == QMetaType::QString ? value.toString() : QString());
        promise->finish();
    });
    return promise->future();
}

void PageEditorWindow::reject()
{
    // Escape and the close button go through the page, which asks before unsaved changes are
    // dropped and then ends the editor; a page that cannot be asked is simply left.
    m_view->page()->runJavaScript(QStringLiteral("typeof RequestExit === 'function' && window.myconnector ? (RequestExit(), true) : false"),
                                  [this, alive = QPointer<PageEditorWindow>(this)](const QVariant& asked) {
                                      if (alive && !asked.toBool())
                                          QDialog::reject();
                                  });
}

void PageEditorWindow::endEditor(int code)
{
    // Ended from inside a script call: finish the call first.
    QTimer::singleShot(0, this, [this, code] { done(code); });
}

void PageEditorWindow::openManual()
{
    const QString manual = AppController::manualPath(QStringLiteral("quiremark for mac manual.pdf"));
    if (manual.isEmpty())
        return;
    // At the page editor's chapter: the manual's headings are the PDF's named destinations.
    QUrl url = QUrl::fromLocalFile(manual);
    url.setFragment(QStringLiteral("nameddest=the-page-editor"));
    QDesktopServices::openUrl(url);
}

} // namespace leafcraft::gui
