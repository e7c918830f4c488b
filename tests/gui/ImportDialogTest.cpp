// The import dialog: remembered options, which pages reach the import, a missing file shown
// in the dialog, and cancelling. (Bad PDFs and page sizes are checked below the dialog.)
#include "GuiTestSupport.h"
#include "ImportDialog.h"

#include "app/AppSettings.h"
#include "import/PageSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

constexpr int kImportTimeout = 180000;

// Fills the dialog's controls for one import.
void choose(ImportDialog& dialog, const QString& file, int rangeChoice, const QString& range, int format)
{
    dialog.fileField()->setText(file);
    dialog.rangeChoice()->button(rangeChoice)->click();
    dialog.rangeField()->setText(range);
    dialog.formatChoice()->button(format)->click();
}

} // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void rememberedOptionsFillTheControls_data();
    void rememberedOptionsFillTheControls();
    void missingFileIsReportedInTheDialog();
    void importTakesTheChosenPages_data();
    void importTakesTheChosenPages();
    void firstPageSizeComesFromTheCropBox_data();
    void firstPageSizeComesFromTheCropBox();
    void cancelDuringImportKeepsTheDialogOpen();
    void whatTheImportWorkedAroundIsShown();
};

void ImportDialogTest::rememberedOptionsFillTheControls_data()
{
    QTest::addColumn<int>("rangeType");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("links");
    QTest::addColumn<int>("bookmarks");
    QTest::addColumn<int>("format");
    // expected
    QTest::addColumn<int>("rangeChoice");
    QTest::addColumn<bool>("rangeEnabled");
    QTest::addColumn<int>("qualityIndex");
    QTest::addColumn<bool>("linksOn");
    QTest::addColumn<bool>("bookmarksOn");
    QTest::addColumn<int>("formatChoice");

    QTest::newRow("page range, JPG pages") << 1 << "2-3" << 3 << 1 << 0 << 1 << 1 << true << 3 << true << false << 1;
    QTest::newRow("all pages, SWF pages") << 0 << "4" << 0 << 0 << 1 << 0 << 0 << false << 0 << false << true << 0;
    QTest::newRow("smallest, both switches") << 1 << "1,5" << 4 << 1 << 1 << 0 << 1 << true << 4 << true << true << 0;
    QTest::newRow("vector pages") << 0 << "" << 1 << 1 << 1 << 2 << 0 << false << 1 << true << true << 2;
    // Values no control offers fall back to the first choice (vector pages); a switch is on only for 1.
    QTest::newRow("out-of-range values") << 7 << "" << 9 << 2 << -1 << 5 << 0 << false << 0 << false << false << 2;
}

void ImportDialogTest::rememberedOptionsFillTheControls()
{
    QFETCH(int, rangeType);
    QFETCH(QString, range);
    QFETCH(int, quality);
    QFETCH(int, links);
    QFETCH(int, bookmarks);
    QFETCH(int, format);
    AppSettings& s = AppSettings::instance();
    s.setLastImportedFile(QStringLiteral("/books/report.pdf"));
    s.setImportPageRangeType(rangeType);
    s.setImportPageRange(range);
    s.setImportQualityLevel(quality);
    s.setImportLinks(links);
    s.setImportBookmark(bookmarks);
    s.setImportType(format);

    ImportDialog dialog;
    QCOMPARE(dialog.fileField()->text(), QStringLiteral("/books/report.pdf"));
    QTEST(dialog.rangeChoice()->checkedId(), "rangeChoice");
    QCOMPARE(dialog.rangeField()->text(), range);
    QTEST(dialog.rangeField()->isEnabled(), "rangeEnabled");
    QTEST(dialog.qualityChoice()->currentIndex(), "qualityIndex");
    QTEST(dialog.linksSwitch()->isChecked(), "linksOn");
    QTEST(dialog.bookmarkSwitch()->isChecked(), "bookmarksOn");
    QTEST(dialog.formatChoice()->checkedId(), "formatChoice");
}

void ImportDialogTest::missingFileIsReportedInTheDialog()
{
    AppSettings::instance().setLastImportedFile(QStringLiteral("/books/before.pdf"));
    ImportDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    const QPoint buttonsAt = buttons->mapTo(&dialog, QPoint());
    dialog.fileField()->setText(testHome() + QLatin1String("/no-such.pdf"));
    dialog.onImportAction();

    QVERIFY(dialog.infoLabel()->isVisible());
    QVERIFY(dialog.infoLabel()->text().endsWith(QLatin1String("no-such.pdf does not exist.")));
    QCOMPARE(buttons->mapTo(&dialog, QPoint()), buttonsAt); // the message does not move the buttons
    QVERIFY(!dialog.importing());
    QVERIFY(dialog.isVisible());
    QCOMPARE(finished.count(), 0);
    // Nothing else changes: the options are not remembered.
    QCOMPARE(AppSettings::instance().lastImportedFile(), QStringLiteral("/books/before.pdf"));
    // Another file clears the message; Escape closes the dialog as Cancel does.
    dialog.fileField()->setText(testHome() + QLatin1String("/other.pdf"));
    QVERIFY(!dialog.infoLabel()->isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
}

void ImportDialogTest::importTakesTheChosenPages_data()
{
    QTest::addColumn<int>("rangeChoice");
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("pages");
    // links.pdf has 5 pages.
    QTest::newRow("all pages although the range field holds text") << 0 << "2" << 1 << 5;
    QTest::newRow("range 2-3") << 1 << "2-3" << 1 << 2;
    QTest::newRow("range 4, SWF pages") << 1 << "4" << 0 << 1;
    QTest::newRow("range 1-2, vector pages") << 1 << "1-2" << 2 << 2;
}

void ImportDialogTest::importTakesTheChosenPages()
{
    QFETCH(int, rangeChoice);
    QFETCH(QString, range);
    QFETCH(int, format);
    ImportDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    choose(dialog, pdfFixture(QStringLiteral("links.pdf")), rangeChoice, range, format);
    dialog.qualityChoice()->setCurrentIndex(2);
    dialog.onImportAction();
    QVERIFY(dialog.importing());
    QVERIFY(!dialog.fileField()->isEnabled()); // controls are disabled while importing

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kImportTimeout);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QVERIFY(!dialog.isVisible());
    const ImportResult result = dialog.result();
    QVERIFY(result.pageSource);
    QTEST(int(result.pageSource->pages().size()), "pages");
    QCOMPARE(result.pageWidth, 612);
    QCOMPARE(result.pageHeight, 792);

    // The options used are remembered for the next time.
    const AppSettings& s = AppSettings::instance();
    QCOMPARE(s.lastImportedFile(), pdfFixture(QStringLiteral("links.pdf")));
    QCOMPARE(s.importPageRangeType(), rangeChoice);
    QCOMPARE(s.importPageRange(), range);
    QCOMPARE(s.importQualityLevel(), 2);
    QCOMPARE(s.importType(), format);
}

void ImportDialogTest::firstPageSizeComesFromTheCropBox_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("range"); // with zoom pictures
    // cropped.pdf: crop box [100 200 400 600] on a larger page; mixed.pdf starts with Letter;
    // page 4 of shapes.pdf is A4 turned by 90 degrees.
    QTest::newRow("cropped, JPG pages") << "cropped.pdf" << 300 << 400 << QString();
    QTest::newRow("first imported page turned") << "shapes.pdf" << 842 << 595 << QStringLiteral("4-5");
}

void ImportDialogTest::firstPageSizeComesFromTheCropBox()
{
    QFETCH(QString, file);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, range);
    AppSettings& s = AppSettings::instance();
    s.setPageWidth(11);
    s.setPageHeight(22);
    ImportDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    choose(dialog, pdfFixture(file), range.isEmpty() ? 0 : 1, range, 1);
    dialog.zoomPicturesSwitch()->setChecked(!range.isEmpty());
    dialog.onImportAction();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kImportTimeout);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QCOMPARE(dialog.result().pageSource->zoomedPages().size(), range.isEmpty() ? 0u : 2u);
    QCOMPARE(dialog.result().pageWidth, width);
    QCOMPARE(dialog.result().pageHeight, height);
    QCOMPARE(s.pageWidth(), width * 2); // JPG pages are rendered at twice the point size
    QCOMPARE(s.pageHeight(), height * 2);
}

void ImportDialogTest::cancelDuringImportKeepsTheDialogOpen()
{
    // A book long enough that the cancel arrives while pages are still being made.
    const QString book = testHome() + QLatin1String("/long.pdf");
    QCOMPARE(QProcess::execute(QStringLiteral("python3"),
                               {QStringLiteral(LEAFCRAFT_MAKE_PDFS),
                                QStringLiteral("--pages"), QStringLiteral("60"), book}),
             0);
    ImportDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    choose(dialog, book, 0, QString(), 1);
    dialog.onImportAction();
    QVERIFY(dialog.importing());
    dialog.onCancelAction();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.importing(), kImportTimeout);
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.result().pageSource);
    QVERIFY(dialog.infoLabel()->isVisible());

    // Pressed again once the import has stopped, Cancel closes the dialog with code 0.
    dialog.onCancelAction();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
}

void ImportDialogTest::whatTheImportWorkedAroundIsShown()
{
    // big-page.pdf has a page too large to draw at full size: imported smaller, and said so.
    ImportDialog dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    choose(dialog, pdfFixture(QStringLiteral("big-page.pdf")), 0, QString(), 1);
    dialog.onImportAction();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kImportTimeout);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    auto* box = dialog.findChild<QMessageBox*>();
    QVERIFY(box && box->isVisible());
    QVERIFY2(box->informativeText().contains(QLatin1String("too large")), qPrintable(box->informativeText()));
    box->close();
}

static leafcraft::guitest::SuiteRegistration<ImportDialogTest> registration("ImportDialogTest");

#include "ImportDialogTest.moc"
