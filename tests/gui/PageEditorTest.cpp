// The page editor from the main window's button to the saved page list, driven through the
// editor page's own buttons, the mouse and the keys in a real web view. With LEAFCRAFT_EDITOR_SCREENSHOT=FILE set it
// also saves a picture of the editor with its placed items.
#include "GuiTestSupport.h"
#include "ImportDialog.h"
#include "MainWindow.h"
#include "PageEditorWindow.h"

#include "app/AppController.h"
#include "platform/Platform.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

QVariant evaluate(QWebEngineView* view, const QString& script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& v) { result = v, done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return {};
    return result;
}

bool waitForScript(QWebEngineView* view, const QString& condition)
{
    return QTest::qWaitFor([&] { return evaluate(view, condition).toBool(); }, 30000);
}

// The page's box of the first element matching `selector`, in the web view's pixels.
QRectF boxOf(QWebEngineView* view, const QString& selector)
{
    const QVariantList r = evaluate(view, QStringLiteral("(function (b) { return [b.left, b.top, b.width, b.height]; })"
                                                         "(document.querySelector('%1').getBoundingClientRect())").arg(selector)).toList();
    const qreal z = view->zoomFactor();
    return r.size() == 4 ? QRectF(r[0].toReal() * z, r[1].toReal() * z, r[2].toReal() * z, r[3].toReal() * z) : QRectF();
}

// A person's drag: press, a few moves with the button held, release.
void drag(QWidget* target, QPoint from, QPoint by)
{
    QTest::mousePress(target, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 5; ++step)
        QTest::mouseMove(target, from + by * step / 5, 20);
    QTest::mouseRelease(target, Qt::LeftButton, {}, from + by, 20);
    QTest::qWait(100);
}

double attribute(const QString& element, const char* name)
{
    return QRegularExpression(QStringLiteral(" %1=\"([-0-9.]+)\"").arg(QLatin1String(name))).match(element).captured(1).toDouble();
}

} // namespace

class PageEditorTest : public QObject {
    Q_OBJECT
private slots:
    void placesItemsAndSaves();
    void showsThePagesOfAnImport_data();
    void showsThePagesOfAnImport();
};

void PageEditorTest::placesItemsAndSaves()
{
    MainWindow window;
    AppController controller(&window);
    window.setDelegate(&controller);
    controller.launch();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString preview = controller.previewFolder();

    QAction* button = window.action(QStringLiteral("editor"));
    QVERIFY(button && button->isEnabled());
    button->trigger();
    auto* editor = window.findChild<PageEditorWindow*>();
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->windowModality(), Qt::WindowModal);
    QVERIFY(editor->width() <= PageEditorWindow::kMaxWidth && editor->height() <= PageEditorWindow::kMaxHeight);
    QWebEngineView* view = editor->webView();
    QVERIFY(waitForScript(view, QStringLiteral("!!window.myconnector && document.querySelectorAll('.pe-thumb').length > 1")));

    // A picture through the page's button, the program's picker and the bridge's copy.
    const QString picture = Platform::current().resources().path(QStringLiteral("AppFiles/DemoImgs_standard/large"));
    const QString pictureFile = QDir(picture).entryInfoList({QStringLiteral("*.jpg")}).value(0).absoluteFilePath();
    QVERIFY(!pictureFile.isEmpty());
    QStringList titles;
    editor->setFileChooser([&](const QString& title, const QStringList&, bool) {
        titles << title;
        return QStringList{pictureFile};
    });
    evaluate(view, QStringLiteral("document.querySelector('[data-command=picture]').click()"));
    QVERIFY(waitForScript(view, QStringLiteral("document.querySelectorAll('.pe-item.pe-kind-Image').length === 1")));
    QCOMPARE(titles, QStringList{QStringLiteral("Please select image file to open")});
    evaluate(view, QStringLiteral("document.querySelector('[data-command=link]').click();"
                                  "var h = document.getElementById('pe-href'); h.value = 'https://example.org/a';"
                                  "h.dispatchEvent(new Event('input'));"));
    QVERIFY(waitForScript(view, QStringLiteral("Array.from(document.images).every(function (i) { return i.complete; })")));

    // The link, on top, moved and resized with the mouse and then nudged with the arrow keys,
    // as a person does it: real mouse and key events into the web view.
    QWidget* target = view->focusProxy();
    QVERIFY(target);
    const QString link = QStringLiteral(".pe-item.pe-kind-Link");
    const QRectF page = boxOf(view, QStringLiteral("#pe-page"));
    const QRectF before = boxOf(view, link);
    QVERIFY(page.width() > 100 && before.width() > 40);
    const auto field = [&](const char* name) {
        return evaluate(view, QStringLiteral("document.getElementById('pe-%1').value").arg(QLatin1String(name))).toDouble();
    };
    const double x0 = field("x"), y0 = field("y"), w0 = field("width"), h0 = field("height");
    drag(target, before.center().toPoint() - QPoint(20, 0), QPoint(60, 40));
    drag(target, boxOf(view, link).bottomRight().toPoint() - QPoint(5, 5), QPoint(50, 30));
    QTest::mouseClick(target, Qt::LeftButton, {}, boxOf(view, link).center().toPoint());
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(target, key);
    QVERIFY(waitForScript(view, QStringLiteral("document.getElementById('pe-y').value > %1").arg(y0 + 0.009)));
    const double expected[] = {x0 + 60 / page.width() + 0.02, y0 + 40 / page.height() + 0.01,
                               w0 + 50 / page.width(), h0 + 30 / page.height()};

    const QString shot = qEnvironmentVariable("LEAFCRAFT_EDITOR_SCREENSHOT");
    if (!shot.isEmpty()) {
        editor->resize(1280, 720);
        QTest::qWait(1500);
        QScreen* screen = editor->screen();
        const QPixmap picture = screen ? screen->grabWindow(editor->winId()) : editor->grab();
        QVERIFY(picture.save(shot));
    }

    QSignalSpy finished(editor, &QDialog::finished);
    evaluate(view, QStringLiteral("document.querySelector('[data-command=saveAndExit]').click()"));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toInt(), 1);
    QVERIFY(!controller.neverEditor());
    QFile list(preview + QStringLiteral("/pages.xml"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(list.readAll());
    const QString placed = QRegularExpression(QStringLiteral("<Item [^>]*name=\"Link\"[^>]*>")).match(saved).captured(0);
    QVERIFY2(placed.contains(QStringLiteral("href=\"https://example.org/a\"")), qPrintable(saved));
    const char* names[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(qAbs(attribute(placed, names[i]) - expected[i]) < 0.004,
                 qPrintable(QStringLiteral("%1: %2, expected %3").arg(QLatin1String(names[i])).arg(attribute(placed, names[i])).arg(expected[i])));
    QVERIFY(saved.contains(QStringLiteral("bace=\"\"")) && !saved.contains(preview));
    const QRegularExpressionMatch image = QRegularExpression(QStringLiteral("name=\"Image\"[^>]*href=\"(editor/\\d{12}\\.jpg)\"")).match(saved);
    QVERIFY2(image.hasMatch(), qPrintable(saved));
    QVERIFY(QFileInfo(preview + QStringLiteral("/files/") + image.captured(1)).isFile());
    controller.removePreviewFolder();
}

// SWF pages are no picture a browser shows: the editor and the preview show the JPG picture the
// book carries beside each. Vector pages show as they are.
void PageEditorTest::showsThePagesOfAnImport_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("shown"); // the first page's file, as a pattern
    QTest::newRow("SWF pages") << 0 << QStringLiteral("page\\/1\\.jpg");
    QTest::newRow("vector pages") << 2 << QStringLiteral("page\\/1\\.svg");
}

void PageEditorTest::showsThePagesOfAnImport()
{
    QFETCH(int, format);
    QFETCH(QString, shown);
    MainWindow window;
    AppController controller(&window);
    window.setDelegate(&controller);
    controller.launch();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.action(QStringLiteral("import"))->trigger();
    auto* import = window.findChild<ImportDialog*>();
    QVERIFY(import);
    QSignalSpy imported(import, &QDialog::finished);
    import->fileField()->setText(pdfFixture(QStringLiteral("links.pdf")));
    import->formatChoice()->button(format)->click();
    import->onImportAction();
    QTRY_COMPARE_WITH_TIMEOUT(imported.count(), 1, 180000);
    QCOMPARE(imported.at(0).at(0).toInt(), 1);
    const QString check = QStringLiteral("(function (i) { return !!i && i.complete && i.naturalWidth > 0 && /%1$/.test(i.src); })(%2)");
    QVERIFY(waitForScript(window.webView(), check.arg(shown, QStringLiteral("document.querySelector('.lc-slot .lc-page img')"))));

    window.action(QStringLiteral("editor"))->trigger();
    auto* editor = window.findChild<PageEditorWindow*>();
    QVERIFY(editor && editor->isVisible());
    QVERIFY(waitForScript(editor->webView(), check.arg(shown, QStringLiteral("document.getElementById('pe-page-picture')"))));
    QSignalSpy finished(editor, &QDialog::finished); // leaving goes through the page: wait for it
    editor->reject();
    QVERIFY(finished.wait(20000));
    controller.removePreviewFolder();
}

static SuiteRegistration<PageEditorTest> registration("PageEditorTest");

#include "PageEditorTest.moc"
