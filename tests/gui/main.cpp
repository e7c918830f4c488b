// Runs the desktop application's test classes on Qt's offscreen platform, inside a temporary
// home folder (so remembered settings, the log and the preview folder stay out of the user's
// home). Usage: test_gui [ClassName] [QtTest options]; without a class name every class runs.
#include "GuiTestSupport.h"

#include "import/ImagePageSource.h"
#include "platform/Platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace leafcraft::guitest {

namespace {
QString g_home;
}

std::vector<Suite>& suites()
{
    static std::vector<Suite> all;
    return all;
}

QString pdfFixture(const QString& name)
{
    return QStringLiteral(LEAFCRAFT_PDF_FIXTURES "/") + name;
}

QString testHome()
{
    return g_home;
}

std::shared_ptr<PageSource> demoBook()
{
    auto book = std::make_shared<ImagePageSource>();
    QDir dir(Platform::current().resources().appFilesDir() + QLatin1String("/DemoImgs_standard/large"));
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        book->addImgPageFromFile(f.absoluteFilePath());
    book->generateNormalPages();
    return book;
}

ModalAnswerer::ModalAnswerer(int timeoutMs, std::function<void(QDialog*)> answer)
    : m_answer(std::move(answer)), m_remaining(timeoutMs / 50), m_before(QApplication::activeModalWidget())
{
    QTimer::singleShot(50, this, &ModalAnswerer::poll);
}

ModalAnswerer::~ModalAnswerer() = default;

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    // The dialog under test, already up when the answerer was made, is not a question.
    if (modal && modal == m_before)
        modal = nullptr;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_texts << QStringList{box->text(), box->informativeText(), box->detailedText()}.join(QLatin1Char('\n'));
        QAbstractButton* b = box->defaultButton();
        if (!b)
            b = box->buttons().value(0);
        if (b)
            b->click();
        else
            box->reject();
        return;
    }
    // A progress dialog of long work is not a question: wait for what it leads to.
    if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && !qobject_cast<QProgressDialog*>(modal)) {
        m_texts << dialog->windowTitle();
        if (m_answer)
            m_answer(dialog);
        else
            dialog->reject();
        return;
    }
    if (--m_remaining > 0)
        QTimer::singleShot(50, this, &ModalAnswerer::poll);
}

} // namespace leafcraft::guitest

int main(int argc, char** argv)
{
    // Everything the program and Qt WebEngine keep per user goes into a fresh home folder.
    QTemporaryDir home(QDir::tempPath() + QLatin1String("/leafcraft-gui-test-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "test_gui: cannot create a temporary home folder\n");
        return 1;
    }
    leafcraft::guitest::g_home = home.path();
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QLatin1String("/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QLatin1String("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QLatin1String("/.cache")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Chromium's sandbox cannot start for the root user, and there is no GPU.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Leafcraft"));
    QApplication::setOrganizationName(QStringLiteral("Pressvale"));

    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-'))) {
        only = args.at(1);
        args.removeAt(1);
    }
    int status = 0;
    bool ran = false;
    for (const auto& suite : leafcraft::guitest::suites()) {
        if (!only.isEmpty() && suite.name != only)
            continue;
        ran = true;
        std::unique_ptr<QObject> test = suite.make();
        status |= QTest::qExec(test.get(), args);
    }
    if (!ran) {
        std::fprintf(stderr, "test_gui: no test class named %s\n", qPrintable(only));
        return 2;
    }
    return status;
}
