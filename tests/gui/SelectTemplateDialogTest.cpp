// The template selection dialog: finding the current template whatever its letter case, the
// styles of a template, and what it hands back.
#include "GuiTestSupport.h"
#include "SelectTemplateDialog.h"

#include "fakes/FakePlatform.h"
#include "templates/Template.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList lastComponents(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out << QFileInfo(p).fileName();
    return out;
}

} // namespace

class SelectTemplateDialogTest : public QObject {
    Q_OBJECT
private slots:
    void selectTemplateIgnoresLetterCase_data();
    void selectTemplateIgnoresLetterCase();
    void doubleClickConfirmsTheStyle();
    void currentStyleIsPreselectedAndOkNeedsAStyle();
};

void SelectTemplateDialogTest::selectTemplateIgnoresLetterCase_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("row");
    QTest::newRow("upper case") << "FLOAT" << "float";
    QTest::newRow("mixed case") << "lInEn" << "Linen";
}

void SelectTemplateDialogTest::selectTemplateIgnoresLetterCase()
{
    QFETCH(QString, asked);
    QFETCH(QString, row);
    SelectTemplateDialog dialog;
    dialog.selectTemplate(asked);
    QListWidgetItem* current = dialog.templateList()->currentItem();
    QVERIFY(current);
    QCOMPARE(current->text(), row);
    QCOMPARE(dialog.templateList()->selectedItems().size(), 1);
    // The template's styles, by name, each with its picture.
    const QStringList styles = lastComponents(Template::styleNamesForTemplate(row));
    QVERIFY(!styles.isEmpty());
    QCOMPARE(texts(dialog.styleList()), styles);
    for (int i = 0; i < dialog.styleList()->count(); ++i)
        QVERIFY2(!dialog.styleList()->item(i)->icon().isNull(), qPrintable(dialog.styleList()->item(i)->text()));
}

void SelectTemplateDialogTest::doubleClickConfirmsTheStyle()
{
    SelectTemplateDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.selectTemplate(QStringLiteral("Linen"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.styleList()->count() >= 2);
    QListWidgetItem* second = dialog.styleList()->item(1);
    QTRY_VERIFY(dialog.styleList()->viewport()->rect().contains(dialog.styleList()->visualItemRect(second)));
    const QPoint centre = dialog.styleList()->visualItemRect(second).center();
    // What a window system delivers for a double click: press, release, double click, release.
    QTest::mouseClick(dialog.styleList()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(dialog.styleList()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(dialog.styleList()->viewport(), Qt::LeftButton, {}, centre);

    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    const QString expected = Template::styleNamesForTemplate(QStringLiteral("Linen")).at(1) + QLatin1String("/shot.jpg");
    QCOMPARE(QFileInfo(dialog.selectedStyle()).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
}

void SelectTemplateDialogTest::currentStyleIsPreselectedAndOkNeedsAStyle()
{
    SelectTemplateDialog dialog;
    dialog.selectTemplate(QStringLiteral("float"));
    QVERIFY(!dialog.okButton()->isEnabled());
    const QString second = dialog.styleList()->item(1)->text();
    dialog.selectStyle(second);
    QCOMPARE(QFileInfo(QFileInfo(dialog.selectedStyle()).path()).fileName(), second);
    QVERIFY(dialog.okButton()->isEnabled());
    dialog.styleList()->clearSelection();
    QVERIFY(!dialog.okButton()->isEnabled());
    dialog.selectStyle(QStringLiteral("NoSuchStyle"));
    QVERIFY(dialog.selectedStyle().isNull());
}

static SuiteRegistration<SelectTemplateDialogTest> registration("SelectTemplateDialogTest");

#include "SelectTemplateDialogTest.moc"
