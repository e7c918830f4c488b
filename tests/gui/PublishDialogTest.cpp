// The publish dialog: remembered choices, the output kind and the phone version controls,
// the overwrite question, and what publishing does to an existing folder.
#include "GuiTestSupport.h"
#include "PublishDialog.h"

#include "app/AppSettings.h"
#include "import/FlashPageSource.h"
#include "templates/FlashTemplate.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace leafcraft;
using namespace leafcraft::gui;
using namespace leafcraft::guitest;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below `dir`, relative, sorted.
QStringList filesBelow(const QString& dir)
{
    QStringList out;
    QDir base(dir);
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << base.relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class PublishDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rememberedChoicesFillTheControls_data();
    void rememberedChoicesFillTheControls();
    void bundleKindDisablesThePhoneControls();
    void noToTheOverwriteQuestionKeepsEverything();
    void yesToTheOverwriteQuestionReplacesTheEarlierBook();
    void folderOfOtherFilesLosesNothing();
    void bundleKindWritesAnApplication();
    void overwriteQuestionSaysOnlyThePreviousBookIsReplaced();
    void unusableNameIsReportedAndTheDialogStaysOpen();
    void emptyNamePublishesIndex();

private:
    std::unique_ptr<PublishDialog> makeDialog();
    QString freshFolder(const QString& name);

    std::shared_ptr<FlashTemplate> m_tmpl;
    std::shared_ptr<FlashPageSource> m_book;
};

void PublishDialogTest::initTestCase()
{
    m_tmpl = std::make_shared<FlashTemplate>();
    m_book = demoBook();
    QVERIFY(!m_book->pages().empty());
}

std::unique_ptr<PublishDialog> PublishDialogTest::makeDialog()
{
    auto dialog = std::make_unique<PublishDialog>();
    dialog->setFlashTmpl(m_tmpl);
    dialog->setFlashPageSource(m_book);
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
    AppSettings& s = AppSettings::shareInstance();
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
}

void PublishDialogTest::bundleKindDisablesThePhoneControls()
{
    AppSettings::shareInstance().setOutputType(0);
    PublishDialog dialog;
    dialog.show();
    QVERIFY(dialog.createMobile()->isEnabled());
    QTest::mouseClick(dialog.outputType()->button(1), Qt::LeftButton);
    QCOMPARE(dialog.outputType()->checkedId(), 1);
    QVERIFY(!dialog.createMobile()->isEnabled());
    QVERIFY(!dialog.mobileType()->isEnabled());
    QTest::mouseClick(dialog.outputType()->button(0), Qt::LeftButton);
    QVERIFY(dialog.createMobile()->isEnabled());
    QVERIFY(dialog.mobileType()->isEnabled());
}

void PublishDialogTest::noToTheOverwriteQuestionKeepsEverything()
{
    const QString folder = freshFolder(QStringLiteral("earlier"));
    writeFile(folder + QLatin1String("/files/config.xml"), "earlier book");
    writeFile(folder + QLatin1String("/old.html"), "<html>old</html>");
    const QStringList before = filesBelow(folder);
    AppSettings& s = AppSettings::shareInstance();
    s.setLastOutputFileName(QStringLiteral("remembered"));
    s.setLastOutputFileFolder(QStringLiteral("/remembered/folder"));

    auto dialog = makeDialog();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    int asked = 0;
    dialog->overwriteAnswerer = [&](const QString& path) {
        ++asked;
        return path == folder ? OverwriteAnswer::No : OverwriteAnswer::Yes;
    };
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("new"));
    dialog->onPublish();

    QCOMPARE(asked, 1);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog->isVisible());
    QCOMPARE(filesBelow(folder), before);
    QCOMPARE(readFile(folder + QLatin1String("/files/config.xml")), QByteArray("earlier book"));
    QCOMPARE(s.lastOutputFileName(), QStringLiteral("remembered"));
    QCOMPARE(s.lastOutputFileFolder(), QStringLiteral("/remembered/folder"));
}

void PublishDialogTest::yesToTheOverwriteQuestionReplacesTheEarlierBook()
{
    const QString folder = freshFolder(QStringLiteral("replaced"));
    writeFile(folder + QLatin1String("/files/config.xml"), "earlier book");
    writeFile(folder + QLatin1String("/old.html"), "<html>old</html>");

    auto dialog = makeDialog();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->overwriteAnswerer = [](const QString&) { return OverwriteAnswer::Yes; };
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("book"));
    dialog->outputType()->button(0)->click();
    dialog->createMobile()->setChecked(false);
    dialog->onPublish();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QCOMPARE(readFile(folder + QLatin1String("/old.html")), QByteArray("<html>old</html>")); // not the book's
    QVERIFY(QFileInfo(folder + QLatin1String("/book.html")).isFile());
    QVERIFY(readFile(folder + QLatin1String("/files/config.xml")) != QByteArray("earlier book"));
    QCOMPARE(AppSettings::shareInstance().lastOutputFileName(), QStringLiteral("book"));
}

void PublishDialogTest::folderOfOtherFilesLosesNothing()
{
    const QString folder = freshFolder(QStringLiteral("mixed"));
    writeFile(folder + QLatin1String("/notes.txt"), "keep me");
    writeFile(folder + QLatin1String("/photos/cat.jpg"), "not really a picture");

    auto dialog = makeDialog();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    int asked = 0;
    dialog->overwriteAnswerer = [&](const QString&) {
        ++asked;
        return OverwriteAnswer::Yes;
    };
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("mybook"));
    dialog->outputType()->button(0)->click();
    dialog->createMobile()->setChecked(false);
    dialog->onPublish();

    QCOMPARE(asked, 0); // not an earlier book: no question, nothing removed
    QCOMPARE(finished.count(), 1);
    QCOMPARE(readFile(folder + QLatin1String("/notes.txt")), QByteArray("keep me"));
    QCOMPARE(readFile(folder + QLatin1String("/photos/cat.jpg")), QByteArray("not really a picture"));
    QCOMPARE(dialog->lastOutputFileName(), folder + QLatin1String("/mybook.html"));
    QVERIFY(QFileInfo(folder + QLatin1String("/mybook.html")).isFile());
    QVERIFY(QFileInfo(folder + QLatin1String("/files/config.xml")).isFile());
}

void PublishDialogTest::bundleKindWritesAnApplication()
{
    const QString folder = freshFolder(QStringLiteral("app"));
    auto dialog = makeDialog();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("Reader"));
    dialog->createMobile()->setChecked(true); // ignored for a bundle
    dialog->outputType()->button(1)->click();
    dialog->onPublish();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(dialog->lastOutputFileName(), folder + QLatin1String("/Reader.app"));
    QVERIFY(QFileInfo(folder + QLatin1String("/Reader.app/Contents/Resources/index.html")).isFile());
    QVERIFY(QFileInfo(folder + QLatin1String("/Reader.app/Contents/Info.plist")).isFile());
    QVERIFY(!QFileInfo::exists(folder + QLatin1String("/Reader.html")));
    QVERIFY(!QFileInfo::exists(folder + QLatin1String("/mobile")));
    QCOMPARE(AppSettings::shareInstance().outputType(), 1);
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
                QCOMPARE(readFile(book + QLatin1String("/notes.txt")), QByteArray("mine"));
            }
            writeFile(book + QLatin1String("/notes.txt"), "mine");
        }
    }
}

void PublishDialogTest::unusableNameIsReportedAndTheDialogStaysOpen()
{
    const QString folder = freshFolder(QStringLiteral("unnamed"));
    auto dialog = makeDialog();
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->folderField()->setText(folder);
    dialog->nameField()->setText(QStringLiteral("a/b"));
    ModalAnswerer answerer;
    dialog->onPublish();

    QCOMPARE(answerer.answered(), 1);
    QVERIFY2(answerer.texts().constFirst().contains(QLatin1String("name")), qPrintable(answerer.texts().constFirst()));
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog->isVisible());
    QVERIFY(!QFileInfo::exists(folder));
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
    QCOMPARE(AppSettings::shareInstance().lastOutputFileName(), QStringLiteral("index"));
}

static SuiteRegistration<PublishDialogTest> registration("PublishDialogTest");

#include "PublishDialogTest.moc"
