// One whole road through the desktop application, as a person takes it: start, import a PDF
// through the import dialog, edit properties in the outline, apply, choose another style,
// publish a web book with its phone version through the publish dialog, and look at what
// was written.
#include "fakes/TestFiles.h"
#include "GuiTestSupport.h"
#include "ImportDialog.h"
#include "MainWindow.h"
#include "PublishDialog.h"
#include "SelectTemplateDialog.h"

#include "app/AppController.h"
#include "import/PageSource.h"
#include "support/ConfigContainer.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"
#include "templates/TemplateProperty.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QWebEngineView>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

QStringList namesIn(const QString& dir, const QString& pattern)
{
    return QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
}

// The text of the first element `name` in a configuration document.
QString elementText(const QByteArray& document, const QString& name)
{
    const QRegularExpression re(QStringLiteral("<%1(?:\\s[^>]*)?>([^<]*)</%1>").arg(name));
    const QRegularExpressionMatch m = re.match(QString::fromUtf8(document));
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void importEditStyleAndPublish();
};

void EndToEndTest::importEditStyleAndPublish()
{
    MainWindow window;
    AppController delegate(&window);
    window.setDelegate(&delegate);
    delegate.launch();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString preview = delegate.previewFolder();
    QVERIFY(QFileInfo(preview + QLatin1String("/index.html")).isFile());

    // ---- Import all pages of a 5-page PDF as JPG pages, with links and bookmarks.
    window.action(QStringLiteral("import"))->trigger();
    auto* import = window.findChild<ImportDialog*>();
    QVERIFY(import);
    QVERIFY(import->isVisible());
    QSignalSpy imported(import, &QDialog::finished);
    import->fileField()->setText(pdfFixture(QStringLiteral("links.pdf")));
    import->rangeChoice()->button(0)->click();
    import->formatChoice()->button(1)->click();
    import->linksSwitch()->setChecked(true);
    import->bookmarkSwitch()->setChecked(true);
    import->onImportAction();
    QTRY_COMPARE_WITH_TIMEOUT(imported.count(), 1, 180000);
    QCOMPARE(imported.at(0).at(0).toInt(), 1);

    QVERIFY(delegate.pageSource());
    QCOMPARE(int(delegate.pageSource()->pages().size()), 5);
    QVERIFY(delegate.pageLinks());
    QVERIFY(delegate.outline());
    // The preview now shows the imported pages.
    QCOMPARE(namesIn(preview + QLatin1String("/files/page"), QStringLiteral("*.jpg")).size(), 5);
    QCOMPARE(QString::fromUtf8(test::readFile(preview + QLatin1String("/pages.xml"))).count(QRegularExpression(QStringLiteral("<Page[\\s>]"))), 5);
    QWebEngineView* view = window.webView();
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("Preview"), 60000);

    // ---- Pick another style of another template: "Linen", its second style.
    window.action(QStringLiteral("template"))->trigger();
    auto* select = window.findChild<SelectTemplateDialog*>();
    QVERIFY(select);
    QSignalSpy selected(select, &QDialog::finished);
    auto linen = select->templateList()->findItems(QStringLiteral("Linen"), Qt::MatchExactly);
    QCOMPARE(linen.size(), 1);
    select->templateList()->setCurrentItem(linen.first());
    QVERIFY(select->styleList()->count() >= 2);
    const QString styleName = select->styleList()->item(1)->text();
    select->styleList()->item(1)->setSelected(true);
    select->done(1);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(delegate.bookTemplate()->templateName(), QStringLiteral("Linen"));
    QCOMPARE(delegate.bookTemplate()->styleName(), styleName);
    // The outline shows the new template, and selecting a row still shows its description.
    auto* tipBox = window.findChild<QGroupBox*>();
    QVERIFY(tipBox);
    TemplateProperty* baseColour = delegate.bookTemplate()->findProperty(QStringLiteral("BaseColor"));
    QVERIFY(baseColour);
    window.outlineView()->setCurrentIndex(delegate.templateDelegate()->indexOf(baseColour));
    QCOMPARE(tipBox->title(), baseColour->title());

    // ---- Change the main colour and the title in the outline, then apply.
    auto* model = delegate.templateDelegate();
    QCOMPARE(window.outlineView()->model(), static_cast<QAbstractItemModel*>(model));
    const QModelIndex colour =
        model->indexOf(delegate.bookTemplate()->findProperty(QStringLiteral("BaseColor")), TemplatePropertyModel::ValueColumn);
    const QModelIndex title =
        model->indexOf(delegate.bookTemplate()->findProperty(QStringLiteral("Title")), TemplatePropertyModel::ValueColumn);
    QVERIFY(colour.isValid() && title.isValid());
    QVERIFY(model->setData(colour, QStringLiteral("0x12ab34")));
    QVERIFY(model->setData(title, QStringLiteral("Quarterly Report")));
    QVERIFY(delegate.applyChangePending());
    window.action(QStringLiteral("apply"))->trigger();
    QVERIFY(!delegate.applyChangePending());
    const QByteArray previewConfig =
        ConfigContainer::decode(test::readFile(preview + QLatin1String("/files/config.xml")), QStringLiteral("preview"));
    QCOMPARE(elementText(previewConfig, QStringLiteral("BaseColor")), QString::number(0x12ab34));

    // ---- Publish a web book with the page-turning phone version.
    const QString out = testHome() + QLatin1String("/Books/quarterly");
    window.action(QStringLiteral("publish"))->trigger();
    auto* publish = window.findChild<PublishDialog*>();
    QVERIFY(publish);
    QSignalSpy published(publish, &QDialog::finished);
    QString offered;
    publish->openAnswerer = [&](const QString& file) {
        offered = file;
        return false;
    };
    publish->overwriteAnswerer = [](const QString&) { return OverwriteAnswer::Yes; };
    publish->folderField()->setText(out);
    publish->nameField()->setText(QStringLiteral("report"));
    publish->titleField()->setText(QStringLiteral("Quarterly report"));
    publish->outputType()->button(0)->click();
    publish->createMobile()->setChecked(true);
    publish->mobileType()->setCurrentIndex(0);
    publish->onPublish();
    QCOMPARE(published.count(), 1);
    QCOMPARE(offered, out + QLatin1String("/report.html"));
    QVERIFY2(publish->lastWarnings().isEmpty(), qPrintable(publish->lastWarnings().join(QLatin1Char('\n'))));

    // ---- The published folder.
    const QByteArray html = test::readFile(out + QLatin1String("/report.html"));
    QVERIFY(html.contains("<title>Quarterly report</title>"));
    const QByteArray config = ConfigContainer::decode(test::readFile(out + QLatin1String("/files/config.xml")), out);
    QCOMPARE(elementText(config, QStringLiteral("BaseColor")), QString::number(0x12ab34));
    QCOMPARE(elementText(config, QStringLiteral("Title")), QStringLiteral("Quarterly Report"));
    QCOMPARE(namesIn(out + QLatin1String("/files/page"), QStringLiteral("*.jpg")),
             (QStringList{QStringLiteral("1.jpg"), QStringLiteral("2.jpg"), QStringLiteral("3.jpg"),
                          QStringLiteral("4.jpg"), QStringLiteral("5.jpg")}));
    // Letter-size phone pictures are the page pictures themselves: the phone version shares them.
    QVERIFY(namesIn(out + QLatin1String("/files/mobile"), QStringLiteral("*.jpg")).isEmpty());
    QVERIFY(QFileInfo(out + QLatin1String("/mobile/index.html")).isFile());
    QVERIFY(QFileInfo(out + QLatin1String("/mobile/javascript/main.js")).isFile());
    delegate.removePreviewFolder();
}

static SuiteRegistration<EndToEndTest> registration("EndToEndTest");

#include "EndToEndTest.moc"
