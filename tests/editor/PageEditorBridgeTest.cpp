// The page editor's bridge as the editor page's script sees it: every call goes by its script
// name through Qt's meta-object system, as the web channel delivers it.
#include "fakes/TestFiles.h"
#include "editor/PageEditorBridge.h"
#include "fakes/FakePlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace leafcraft;

namespace {

// The window's side, scripted: what the pickers choose, what the page's functions answer.
struct ScriptedHost : PageEditorHost {
    QList<QStringList> choices; // one entry per picker run; empty = cancelled
    QHash<QString, QString> pageAnswers;
    QList<int> endCodes;
    QStringList titles;
    QStringList chooseFiles(const QString& title, const QStringList&, bool) override
    {
        titles << title;
        return choices.isEmpty() ? QStringList() : choices.takeFirst();
    }
    QFuture<QString> callPageFunction(const QString& call) override
    {
        return QtFuture::makeReadyFuture(pageAnswers.value(call));
    }
    void endEditor(int code) override { endCodes << code; }
    void openManual() override {}
};

// Calls a bridge function by its script name, as the web channel does; a future's value is
// waited for.
QString call(QObject* bridge, const char* name, const QString& argument = QString())
{
    QString result;
    QFuture<QString> later;
    bool ok = argument.isNull() && QMetaObject::invokeMethod(bridge, name, Q_RETURN_ARG(QFuture<QString>, later));
    if (ok && QTest::qWaitFor([&] { return later.isFinished(); }))
        return later.result();
    ok = ok || (argument.isNull() ? QMetaObject::invokeMethod(bridge, name, Q_RETURN_ARG(QString, result))
                        || QMetaObject::invokeMethod(bridge, name)
                                  : QMetaObject::invokeMethod(bridge, name, Q_ARG(QString, argument)));
    if (!ok)
        qFatal("no script function %s", name);
    return result;
}

const QByteArray kTwoPages = "<Pages bace=\"\"><Page type=\"Image\"/><Page type=\"Image\"/></Pages>";

} // namespace

class PageEditorBridgeTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_platform = std::make_unique<test::FakePlatform>();
        m_platform->fixedClock.time = QDateTime(QDate(2026, 3, 2), QTime(9, 5, 7));
        m_work = std::make_unique<QTemporaryDir>();
        m_host = ScriptedHost();
        m_bridge = std::make_unique<PageEditorBridge>(&m_host);
        test::writeFile(folder() + "/pages.xml", kTwoPages);
        QVERIFY(m_bridge->open(folder()));
        QVERIFY(QFileInfo(m_bridge->pagePath()).isFile());
        test::writeFile(folder() + "/pick/image.png", "png");
        test::writeFile(folder() + "/pick/a.jpg", "a");
        test::writeFile(folder() + "/pick/b.jpg", "b");
    }
    void cleanup()
    {
        m_bridge.reset();
        m_work.reset();
        m_platform.reset(); // gives the platform back before the next test installs its own
    }

    void singlePickersCopyUnderTheStamp_data()
    {
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QStringList>("picked");
        QTest::addColumn<QString>("expected");
        QTest::newRow("picture") << QByteArray("SelectImageFile") << QStringList{"image.png"}
                                 << "editor/020326090507.png";
        QTest::newRow("same second, distinct names") << QByteArray("SelectImageFile")
                                                     << QStringList{"image.png", "image.png"}
                                                     << "editor/020326090507.png|editor/020326090507-2.png";
        QTest::newRow("cancelled") << QByteArray("OnSelectMovieFile") << QStringList{} << "";
        QTest::newRow("wrong kind") << QByteArray("OnSelectMusicFile") << QStringList{"a.jpg"} << "";
        QTest::newRow("missing file") << QByteArray("OnSelectSWFFile") << QStringList{"gone.swf"} << "";
    }
    void singlePickersCopyUnderTheStamp()
    {
        QFETCH(QByteArray, function);
        QFETCH(QStringList, picked);
        QFETCH(QString, expected);
        QStringList results;
        for (const QString& name : picked)
            m_host.choices << QStringList{folder() + "/pick/" + name};
        do
            results << call(m_bridge.get(), function.constData());
        while (!m_host.choices.isEmpty());
        QCOMPARE(results.join('|'), expected);
        const QStringList copied = QDir(folder() + "/files/editor").entryList(QDir::Files);
        QCOMPARE(copied.size(), expected.isEmpty() ? 0 : results.size());
        for (const QString& r : results)
            if (!r.isEmpty())
                QCOMPARE(test::readFile(folder() + "/files/" + r), QByteArray("png"));
    }

    void severalPictures_data()
    {
        QTest::addColumn<QString>("rename");
        QTest::addColumn<QString>("expected");
        QTest::newRow("own names") << "NO" << "editor/020326090507/a.jpg|editor/020326090507/b.jpg";
        QTest::newRow("renamed") << "YES" << "editor/020326090507.jpg|editor/020326090507-2.jpg";
    }
    void severalPictures()
    {
        QFETCH(QString, rename);
        QFETCH(QString, expected);
        m_host.pageAnswers.insert("ReName()", rename);
        m_host.choices << QStringList{folder() + "/pick/a.jpg", folder() + "/pick/b.jpg"};
        const QString result = call(m_bridge.get(), "OnSelectImageFiles");
        QCOMPARE(result, expected);
        const QStringList paths = result.split('|');
        QCOMPARE(test::readFile(folder() + "/files/" + paths[0]), QByteArray("a"));
        QCOMPARE(test::readFile(folder() + "/files/" + paths[1]), QByteArray("b"));
        QCOMPARE(m_host.titles, QStringList{"Please select images file to open"});
    }

    void deleteStaysInsideTheEditorFolder()
    {
        QTemporaryDir outside;
        test::writeFile(outside.path() + "/precious", "keep");
        test::writeFile(folder() + "/files/editor/x.png", "x");
        test::writeFile(folder() + "/files/page/1.jpg", "page");
        QVERIFY(QFile::link(outside.path(), folder() + "/files/editor/out"));
        QVERIFY(QFile::link(outside.path() + "/precious", folder() + "/files/editor/link.png"));
        for (const QString& refused : QStringList{"", "page/1.jpg", "editor/../page/1.jpg", "../pages.xml",
                                       outside.path() + "/precious", "editor/out/precious", "editor/link.png"})
            call(m_bridge.get(), "OnDeleteFile", refused);
        QCOMPARE(test::readFile(outside.path() + "/precious"), QByteArray("keep"));
        QVERIFY(QFileInfo(folder() + "/files/page/1.jpg").isFile());
        QVERIFY(QFileInfo(folder() + "/files/editor/link.png").isSymLink());
        QVERIFY(QFileInfo(folder() + "/pages.xml").isFile());
        call(m_bridge.get(), "OnDeleteFile", "editor/x.png");
        QVERIFY(!QFileInfo::exists(folder() + "/files/editor/x.png"));
    }

    void saveChecksThePageList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("saved");
        const QString base = "BASE/files/";
        QTest::newRow("good") << "<Pages bace=\"" + base + "\"><Page><Item name=\"normal\">" + base
                + "page/1.jpg</Item></Page><Page/></Pages>" << true;
        QTest::newRow("not well-formed") << "<Pages><Page></Pages>" << false;
        QTest::newRow("other root") << "<Book><Page/><Page/></Book>" << false;
        QTest::newRow("a page lost") << "<Pages><Page/></Pages>" << false;
        QTest::newRow("no answer") << QString() << false;
    }
    void saveChecksThePageList()
    {
        QFETCH(QString, text);
        QFETCH(bool, saved);
        m_host.pageAnswers.insert("GetPageConfig()", QString(text).replace("BASE", folder()));
        const QString problem = call(m_bridge.get(), "SaveAndExit");
        QCOMPARE(problem.isEmpty(), saved);
        QCOMPARE(m_host.endCodes, saved ? QList<int>{1} : QList<int>{});
        if (saved)
            QCOMPARE(test::readFile(folder() + "/pages.xml"),
                     QByteArray("<Pages bace=\"\"><Page><Item name=\"normal\">page/1.jpg</Item></Page><Page/></Pages>"));
        else
            QCOMPARE(test::readFile(folder() + "/pages.xml"), kTwoPages);
        QCOMPARE(QDir(folder()).entryList({"pages.xml*", ".pages.xml*"}, QDir::Files | QDir::Hidden).size(), 1);
        call(m_bridge.get(), "Exit");
        QCOMPARE(m_host.endCodes.last(), 0);
    }

private:
    QString folder() const { return m_work->path(); }

    std::unique_ptr<test::FakePlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_work;
    ScriptedHost m_host;
    std::unique_ptr<PageEditorBridge> m_bridge;
};

QTEST_GUILESS_MAIN(PageEditorBridgeTest)
#include "PageEditorBridgeTest.moc"
