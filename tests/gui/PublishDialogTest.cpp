// The publish dialog: remembered choices, the output kind and the phone version controls, and
// names it refuses. (What publishing does to existing folders is checked on PublishFlow.)
#include "fakes/TestFiles.h"
#include "GuiTestSupport.h"
#include "PublishDialog.h"

#include "app/AppSettings.h"
#include "import/PageSource.h"
#include "templates/Template.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

} // namespace

class PublishDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rememberedChoicesFillTheControls_data();
    void rememberedChoicesFillTheControls();
    void overwriteQuestionSaysOnlyThePreviousBookIsReplaced();
    void emptyNamePublishesIndex();

private:
    std::unique_ptr<PublishDialog> makeDialog();
    QString freshFolder(const QString& name);

    std::shared_ptr<Template> m_tmpl;
    std::shared_ptr<PageSource> m_book;
};

void PublishDialogTest::initTestCase()
{
    m_tmpl = std::make_shared<Template>();
    m_book = demoBook();
    QVERIFY(!m_book->pages().empty());
}

std::unique_ptr<PublishDialog> PublishDialogTest::makeDialog()
{
    auto dialog = std::make_unique<PublishDialog>();
    dialog->setTemplate(m_tmpl);
    dialog->setPageSource(m_book);
    dialog->openAnswerer = [](const QString&) { return false; };
    dialog->overwriteAnswerer = [](const QString&) {
        qWarning("unexpected overwrite question");
        return OverwriteAnswer::No;
    };
    dialog->show();
    return dialog;
}

QString PublishDialogTest::freshFolder(const QString& name)
{
    const QString path = testHome() + QLatin1String("/out/") + name;
    QDir(path).removeRecursively();
    return path;
}

void PublishDialogTest::rememberedChoicesFillTheControls_data()
{
    QTest::addColumn<int>("outputType");
    QTest::addColumn<int>("createMobile");
    QTest::addColumn<int>("mobileType");
    QTest::addColumn<bool>("mobileEnabled");
    QTest::newRow("web book with slide phone version") << 0 << 1 << 1 << true;
    QTest::newRow("web book, no phone version") << 0 << 0 << 0 << true;
    QTest::newRow("application bundle") << 1 << 1 << 1 << false;
}

void PublishDialogTest::rememberedChoicesFillTheControls()
{
    QFETCH(int, outputType);
    QFETCH(int, createMobile);
    QFETCH(int, mobileType);
    AppSettings& s = AppSettings::instance();
    s.setLastOutputFileFolder(QStringLiteral("/srv/books"));
    s.setLastOutputFileName(QStringLiteral("report"));
    s.setLastOutputFileTitle(QStringLiteral("Annual report"));
    s.setOutputType(outputType);
    s.setOutputCreateMobile(createMobile);
    s.setMobileType(mobileType);

    PublishDialog dialog;
    QCOMPARE(dialog.folderField()->text(), QStringLiteral("/srv/books"));
    QCOMPARE(dialog.nameField()->text(), QStringLiteral("report"));
    QCOMPARE(dialog.titleField()->text(), QStringLiteral("Annual report"));
    QCOMPARE(dialog.outputType()->checkedId(), outputType);
    QCOMPARE(dialog.createMobile()->isChecked(), createMobile == 1);
    QCOMPARE(dialog.mobileType()->currentIndex(), mobileType);
    QTEST(dialog.createMobile()->isEnabled(), "mobileEnabled");
    QTEST(dialog.mobileType()->isEnabled(), "mobileEnabled");
    // The other output kind turns the phone controls the other way.
    dialog.show();
    QTest::mouseClick(dialog.outputType()->button(1 - outputType), Qt::LeftButton);
    QCOMPARE(dialog.createMobile()->isEnabled(), outputType == 1);
    QCOMPARE(dialog.mobileType()->isEnabled(), outputType == 1);
}

void PublishDialogTest::overwriteQuestionSaysOnlyThePreviousBookIsReplaced()
{
    // The real question, for a web book and for an application over an earlier one: YES
    // replaces the previous book and keeps the user's file inside it.
    const QString folder = freshFolder(QStringLiteral("asked"));
    for (int kind : {0, 1}) {
        const QString book = kind == 0 ? folder : folder + QLatin1String("/Reader.app");
        for (int round = 0; round < 2; ++round) {
            auto dialog = makeDialog();
            dialog->openAnswerer = [](const QString&) { return false; };
            dialog->overwriteAnswerer = nullptr;
            dialog->folderField()->setText(folder);
            dialog->nameField()->setText(QStringLiteral("Reader"));
            dialog->outputType()->button(kind)->click();
            dialog->createMobile()->setChecked(false);
            ModalAnswerer answerer; // answers with the first button, "YES"
            dialog->onPublish();
            QCOMPARE(answerer.answered(), round);
            if (round == 1) {
                const QString text = answerer.texts().constFirst();
                QVERIFY2(text.contains(PublishFlow::overwriteQuestion()), qPrintable(text));
                QVERIFY2(text.contains(QLatin1String("Only the previous book is replaced")), qPrintable(text));
                QCOMPARE(test::readFile(book + QLatin1String("/notes.txt")), QByteArray("mine"));
            }
            test::writeFile(book + QLatin1String("/notes.txt"), "mine");
        }
    }
}

void PublishDialogTest::emptyNamePublishesIndex()
{
    const QString folder = freshFolder(QStringLiteral("default-name"));
    auto dialog = makeDialog();
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("  "));
    dialog->outputType()->button(0)->click();
    dialog->onPublish();
    QCOMPARE(dialog->lastOutputFileName(), folder + QLatin1String("/index.html"));
    QVERIFY(QFileInfo(folder + QLatin1String("/index.html")).isFile());
    QCOMPARE(AppSettings::instance().lastOutputFileName(), QStringLiteral("index"));
}

static SuiteRegistration<PublishDialogTest> registration("PublishDialogTest");

#include "PublishDialogTest.moc"
