// The main window with its controller: the property outline, the description box, the
// list editor of the value column, the menus, long work and the live preview.
#include "fakes/TestFiles.h"
#include "DesktopOpen.h"
#include "LongTask.h"
#include "GuiTestSupport.h"
#include "MainWindow.h"
#include "PropertyItemDelegate.h"
#include "PublishDialog.h"

#include "app/AppSettings.h"
#include "app/AppController.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"
#include "templates/TemplateProperty.h"
#include "support/Error.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QUrl>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void listEditorWritesTheChosenItem();
    void menusCarryTheCommandsAndTheirKeys();
    void longWorkShowsProgressAndCancels_data();
    void longWorkShowsProgressAndCancels();
    void openingAMissingFileSaysSo();
    void clickingAValueKeepsTheNamesInSight();
    void typedColoursAndFilesAreCheckedAsPickedOnes_data();
    void typedColoursAndFilesAreCheckedAsPickedOnes();
    void anErrorBoxLeftOpenCanBeClosedAndTheAppQuit();

private:
    QModelIndex indexOfKey(const QString& key, int column) const;

    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<AppController> m_delegate;
};

void MainWindowTest::initTestCase()
{
    m_window = std::make_unique<MainWindow>();
    m_delegate = std::make_unique<AppController>(m_window.get());
    m_window->setDelegate(m_delegate.get());
    m_delegate->launch();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_delegate->bookTemplate());
}

void MainWindowTest::cleanupTestCase()
{
    m_delegate->removePreviewFolder();
    m_window.reset();
    m_delegate.reset();
}

QModelIndex MainWindowTest::indexOfKey(const QString& key, int column) const
{
    TemplateProperty* p = m_delegate->bookTemplate()->findProperty(key);
    return p ? m_delegate->templateDelegate()->indexOf(p, column) : QModelIndex();
}

void MainWindowTest::listEditorWritesTheChosenItem()
{
    const QModelIndex value = indexOfKey(QStringLiteral("AutoScale"), TemplatePropertyModel::ValueColumn);
    QVERIFY(value.isValid());
    TemplateProperty* p = m_delegate->bookTemplate()->findProperty(QStringLiteral("AutoScale"));
    QCOMPARE(p->value(), QStringLiteral("Yes"));
    QTreeView* outline = m_window->outlineView();
    outline->setCurrentIndex(value);
    outline->edit(value);
    auto* combo = outline->viewport()->findChild<QComboBox*>();
    QVERIFY(combo);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentText(), QStringLiteral("Yes"));
    combo->hidePopup();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(p->value(), QStringLiteral("No"));
    QVERIFY(m_delegate->applyChangePending());
    m_window->action(QStringLiteral("apply"))->trigger();
    QVERIFY(!m_delegate->applyChangePending());
}

void MainWindowTest::menusCarryTheCommandsAndTheirKeys()
{
    struct Row {
        const char* menu;
        const char* action;
        QKeySequence keys;
    };
    const Row rows[] = {
        {"&File", "import", QKeySequence(Qt::CTRL | Qt::Key_O)}, {"&File", "publish", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"&File", "export", {}}, {"&File", "importSettings", {}}, {"&File", "quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"&Edit", "template", {}}, {"&Edit", "apply", QKeySequence(Qt::CTRL | Qt::Key_R)}, {"&Edit", "editor", {}},
        {"&Help", "help", QKeySequence(Qt::Key_F1)}, {"&Help", "about", {}}};
    QHash<QString, QMenu*> menus;
    for (QAction* entry : m_window->menuBar()->actions())
        menus.insert(entry->text(), entry->menu());
    QCOMPARE(m_window->menuBar()->actions().size(), 3);
    for (const Row& row : rows) {
        QAction* a = m_window->action(QLatin1String(row.action));
        QVERIFY2(a && menus.value(QLatin1String(row.menu)), row.action);
        QVERIFY2(menus.value(QLatin1String(row.menu))->actions().contains(a), row.action);
        QCOMPARE(a->shortcut(), row.keys);
    }
    // The menu's page editor is the tool bar's action, so whoever connects one enables both.
    QVERIFY(m_window->findChild<QToolBar*>()->actions().contains(m_window->action(QStringLiteral("editor"))));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Demonstration book \u2013 float \u2013 Leafcraft"));

    // A shortcut typed into the window runs its command: Ctrl+R applies a pending change.
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QVERIFY(m_window->outlineView()->model()->setData(
        indexOfKey(QStringLiteral("BaseColor"), TemplatePropertyModel::ValueColumn), QStringLiteral("0x224466")));
    QVERIFY(m_delegate->applyChangePending());
    QTest::keyClick(m_window.get(), Qt::Key_R, Qt::ControlModifier);
    QVERIFY(!m_delegate->applyChangePending());
}

void MainWindowTest::longWorkShowsProgressAndCancels_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << QStringLiteral("button");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("close button") << QStringLiteral("close");
}

void MainWindowTest::longWorkShowsProgressAndCancels()
{
    QFETCH(QString, how);
    LongTask::setShowDelay(0);
    QStringList labels;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* progress = m_window->findChild<QProgressDialog*>(QStringLiteral("progress"));
        if (!progress || !progress->isVisible() || progress->labelText() != QLatin1String("Testing: 3 of 10 pages"))
            return;
        labels << progress->labelText();
        QVERIFY(QApplication::activeModalWidget() == progress);
        if (how == QLatin1String("button"))
            progress->findChild<QPushButton*>()->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(progress, Qt::Key_Escape);
        else
            progress->close();
    });
    watcher.start(20);
    const QThread* mainThread = QThread::currentThread();
    const QThread* worker = nullptr;
    // The work goes on until it hears that the user cancelled.
    const std::exception_ptr thrown = m_window->runLongWork(QStringLiteral("Testing"), [&](const auto& progress) {
        worker = QThread::currentThread();
        for (int done = 1; progress(std::min(done, 3), 10); ++done)
            QThread::msleep(5);
        throw Error(ErrorKind::Cancelled, QStringLiteral("stopped"));
    });
    watcher.stop();
    LongTask::setShowDelay(400);
    QVERIFY(worker && worker != mainThread);
    QCOMPARE(labels.size(), 1);
    QVERIFY(thrown);
    try {
        std::rethrow_exception(thrown);
    } catch (const Error& e) {
        QCOMPARE(e.kind(), ErrorKind::Cancelled);
    }
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!m_window->findChild<QProgressDialog*>()); // the dialog went with the work
}

void MainWindowTest::openingAMissingFileSaysSo()
{
    // A book application opens the book inside it; a missing file is reported, not ignored.
    const QString bundle = testHome() + QLatin1String("/Reader.app");
    QVERIFY(QDir().mkpath(bundle + QLatin1String("/Contents/Resources")));
    QFile book(bundle + QLatin1String("/Contents/Resources/index.html"));
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.close();
    QCOMPARE(fileToOpen(bundle), book.fileName());
    QCOMPARE(fileToOpen(testHome()), testHome());
    ModalAnswerer answerer;
    m_window->openWithDefaultApp(testHome() + QLatin1String("/missing.pdf"));
    QCOMPARE(answerer.answered(), 1);
    QVERIFY2(answerer.texts().constFirst().contains(QLatin1String("missing.pdf does not exist")),
             qPrintable(answerer.texts().constFirst()));
}

void MainWindowTest::clickingAValueKeepsTheNamesInSight()
{
    QTreeView* outline = m_window->outlineView();
    outline->header()->resizeSection(TemplatePropertyModel::ValueColumn, outline->viewport()->width() * 3);
    outline->horizontalScrollBar()->setValue(0);
    const QModelIndex value = indexOfKey(QStringLiteral("BaseColor"), TemplatePropertyModel::ValueColumn);
    const QRect cell = outline->visualRect(value);
    QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 40, cell.center().y()));
    QCOMPARE(outline->currentIndex(), value);
    QCOMPARE(outline->horizontalScrollBar()->value(), 0);
}

void MainWindowTest::typedColoursAndFilesAreCheckedAsPickedOnes_data()
{
    const QString picture = QDir(testHome()).filePath(QStringLiteral("logo.png"));
    QImage(4, 4, QImage::Format_RGB32).save(picture);
    const QString notPicture = QDir(testHome()).filePath(QStringLiteral("logo2.png"));
    test::writeFile(notPicture, "just text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // null: refused
    QTest::newRow("colour as the dialog writes it") << int(pt_color) << "0x1A2b3C" << "0x1a2b3c";
    QTest::newRow("colour with a hash") << int(pt_color) << " #1a2b3c " << "0x1a2b3c";
    QTest::newRow("short colour") << int(pt_color) << "#fa0" << "0xffaa00";
    QTest::newRow("colour name") << int(pt_color) << "white" << "0xffffff";
    QTest::newRow("not a colour") << int(pt_color) << "0x12345" << QString();
    QTest::newRow("picture file") << int(pt_file) << picture << picture;
    QTest::newRow("pasted file URL") << int(pt_file) << QUrl::fromLocalFile(picture).toString() << picture;
    QTest::newRow("quoted path") << int(pt_file) << QLatin1Char('"') + picture + QLatin1Char('"') << picture;
    QTest::newRow("no file") << int(pt_file) << "  " << "";
    QTest::newRow("missing file") << int(pt_file) << picture + QLatin1String(".gone") << QString();
    QTest::newRow("not a picture") << int(pt_file) << notPicture << QString();
    QTest::newRow("private file") << int(pt_file) << "/etc/shadow" << QString();
}

void MainWindowTest::typedColoursAndFilesAreCheckedAsPickedOnes()
{
    QFETCH(int, type);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QString problem;
    const QString value = PropertyItemDelegate::typedValue(type, typed, QStringLiteral("Pictures|*.png;*.jpg"), &problem);
    QCOMPARE(value, stored);
    QCOMPARE(value.isNull(), !problem.isEmpty());
}

void MainWindowTest::anErrorBoxLeftOpenCanBeClosedAndTheAppQuit()
{
    // As a person meets it: Ctrl+P with no folder, Publish, and the error box left open long
    // past the time a progress dialog would show itself. No progress dialog may come up; then
    // Escape closes the box (the publish dialog stays for another try), Escape the publish
    // dialog, and Ctrl+Q quits.
    AppSettings::instance().setLastOutputFileFolder(QString());
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    auto* publish = m_window->findChild<PublishDialog*>();
    QVERIFY(publish && QTest::qWaitForWindowActive(publish));
    QVERIFY(publish->folderField()->text().isEmpty());

    QStringList seen;
    QElapsedTimer open;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        for (auto* progress : m_window->findChildren<QProgressDialog*>())
            if (progress->isVisible())
                seen << QStringLiteral("progress dialog over the error box");
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (!open.isValid())
            open.start();
        if (open.elapsed() < 6000)
            return;
        watcher.stop();
        seen << box->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    watcher.start(100);
    QTest::mouseClick(publish->findChild<QDialogButtonBox*>()->buttons().constFirst(), Qt::LeftButton); // Publish
    watcher.stop();
    QCOMPARE(seen.size(), 1);
    QVERIFY2(seen.constFirst().contains(QLatin1String("folder")), qPrintable(seen.constFirst()));
    QVERIFY(publish->isVisible());

    QTest::keyClick(publish, Qt::Key_Escape);
    QTRY_VERIFY(!m_window->findChild<PublishDialog*>());
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!m_window->isVisible());
}

static SuiteRegistration<MainWindowTest> registration("MainWindowTest");

#include "MainWindowTest.moc"
