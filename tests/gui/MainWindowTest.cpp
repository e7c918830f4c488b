// The main window with its controller: the property outline, the description box, the
// list editor of the value column, the menus, long work and the live preview.
#include "DesktopOpen.h"
#include "LongTask.h"
#include "GuiTestSupport.h"
#include "MainWindow.h"

#include "app/AppController.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"
#include "templates/TemplateProperty.h"
#include "support/Error.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
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
    void longWorkShowsProgressAndCancels();
    void openingAMissingFileSaysSo();

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

void MainWindowTest::longWorkShowsProgressAndCancels()
{
    LongTask::setShowDelay(0);
    QStringList labels;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* progress = m_window->findChild<QProgressDialog*>(QStringLiteral("progress"));
        if (!progress || !progress->isVisible() || progress->labelText() != QLatin1String("Testing: 3 of 10 pages"))
            return;
        labels << progress->labelText();
        QVERIFY(QApplication::activeModalWidget() == progress);
        progress->findChild<QPushButton*>()->click();
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

static SuiteRegistration<MainWindowTest> registration("MainWindowTest");

#include "MainWindowTest.moc"
