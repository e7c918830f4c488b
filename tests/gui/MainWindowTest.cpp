// The main window with its controller: the property outline, the description box, the
// list editor of the value column, the "apply" animation and the live preview.
#include "Artwork.h"
#include "GuiTestSupport.h"
#include "MainWindow.h"

#include "app/QuiremarkAppDelegate.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateOutlineDelegate.h"
#include "templates/FlashTemplateProperty.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QDir>
#include <QGroupBox>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QWebEngineView>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32)).toImage();
}

// The name of the "apply" picture an icon shows, or "" when it is none of them.
QString applyFrameOf(const QIcon& icon)
{
    const QImage shown = imageOf(icon);
    for (const char* name : {"apply", "apply1", "apply2", "apply3"})
        if (imageOf(namedIcon(QLatin1String(name))) == shown)
            return QLatin1String(name);
    return QString();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void outlineShowsTheTemplate();
    void selectingARowShowsItsDescription();
    void listEditorWritesTheChosenItem();
    void applyIconCyclesWhileEditsArePending();
    void previewShowsTheBook();

private:
    QModelIndex indexOfKey(const QString& key, int column) const;

    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<LeafcraftAppDelegate> m_delegate;
};

void MainWindowTest::initTestCase()
{
    m_window = std::make_unique<MainWindow>();
    m_delegate = std::make_unique<LeafcraftAppDelegate>(m_window.get());
    m_window->setDelegate(m_delegate.get());
    m_delegate->applicationDidFinishLaunching();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_delegate->flashTmpl());
}

void MainWindowTest::cleanupTestCase()
{
    m_delegate->removeFlashPreviewFolder();
    m_window.reset();
    m_delegate.reset();
}

QModelIndex MainWindowTest::indexOfKey(const QString& key, int column) const
{
    FlashTemplateProperty* p = m_delegate->flashTmpl()->findProperty(key);
    return p ? m_delegate->tmplDelegate()->indexOf(p, column) : QModelIndex();
}

void MainWindowTest::outlineShowsTheTemplate()
{
    QTreeView* outline = m_window->outlineView();
    QCOMPARE(outline->model(), static_cast<QAbstractItemModel*>(m_delegate->tmplDelegate()));
    const FlashTemplate::Properties& top = m_delegate->flashTmpl()->properties();
    QCOMPARE(outline->model()->rowCount(), int(top.size()));
    QCOMPARE(outline->model()->index(0, 0).data().toString(), top.front()->title());
    QVERIFY(outline->isExpanded(outline->model()->index(0, 0)));
    const QModelIndex title = indexOfKey(QStringLiteral("Title"), FlashTemplateOutlineDelegate::ValueColumn);
    QVERIFY(title.isValid());
    QCOMPARE(title.data().toString(), m_delegate->flashTmpl()->propertyValueFor(QStringLiteral("Title"), QString()));
    QVERIFY(outline->visualRect(title).isValid()); // shown, not hidden in a collapsed branch
}

void MainWindowTest::selectingARowShowsItsDescription()
{
    auto* box = m_window->findChild<QGroupBox*>();
    auto* text = box ? box->findChild<QTextEdit*>() : nullptr;
    QVERIFY(box && text);
    QTreeView* outline = m_window->outlineView();

    const QModelIndex colour = indexOfKey(QStringLiteral("BaseColor"), 0);
    QVERIFY(colour.isValid());
    outline->setCurrentIndex(colour);
    FlashTemplateProperty* p = m_delegate->flashTmpl()->findProperty(QStringLiteral("BaseColor"));
    QCOMPARE(box->title(), p->title());
    QCOMPARE(text->toPlainText(), p->desc());

    // Moving with the keyboard shows the next row's description.
    outline->setFocus();
    QTest::keyClick(outline, Qt::Key_Down);
    FlashTemplateProperty* next = m_delegate->tmplDelegate()->propertyAt(outline->currentIndex());
    QVERIFY(next && next != p);
    QCOMPARE(box->title(), next->title());
    QCOMPARE(text->toPlainText(), next->desc());
}

void MainWindowTest::listEditorWritesTheChosenItem()
{
    const QModelIndex value = indexOfKey(QStringLiteral("AutoScale"), FlashTemplateOutlineDelegate::ValueColumn);
    QVERIFY(value.isValid());
    FlashTemplateProperty* p = m_delegate->flashTmpl()->findProperty(QStringLiteral("AutoScale"));
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

void MainWindowTest::applyIconCyclesWhileEditsArePending()
{
    QAction* apply = m_window->action(QStringLiteral("apply"));
    QVERIFY(apply);
    QCOMPARE(applyFrameOf(apply->icon()), QStringLiteral("apply"));
    QStringList frames;
    connect(apply, &QAction::changed, this, [&] { frames << applyFrameOf(apply->icon()); });

    const QModelIndex colour = indexOfKey(QStringLiteral("BaseColor"), FlashTemplateOutlineDelegate::ValueColumn);
    QVERIFY(m_window->outlineView()->model()->setData(colour, QStringLiteral("0x336699")));
    QVERIFY(m_window->outlineView()->model()->setData(colour, QStringLiteral("0x336690")));
    QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 4, 5000);
    // Frames 1, 2, 3 in turn, about three a second, from wherever the phase stood.
    for (int i = 1; i < frames.size(); ++i) {
        const int before = frames.at(i - 1).right(1).toInt();
        QCOMPARE(frames.at(i), QStringLiteral("apply%1").arg(before % 3 + 1));
    }

    apply->trigger();
    QCOMPARE(applyFrameOf(apply->icon()), QStringLiteral("apply"));
    const int shown = frames.size();
    QTest::qWait(800);
    QCOMPARE(frames.size(), shown); // the animation stopped
    disconnect(apply, &QAction::changed, this, nullptr);
}

void MainWindowTest::previewShowsTheBook()
{
    QWebEngineView* view = m_window->webView();
    const QString page = QDir::cleanPath(m_delegate->flashPreviewFolder() + QLatin1String("/index.html"));
    QTRY_COMPARE_WITH_TIMEOUT(QDir::cleanPath(view->url().toLocalFile()), page, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("Preview"), 60000);
}

static SuiteRegistration<MainWindowTest> registration("MainWindowTest");

#include "MainWindowTest.moc"
