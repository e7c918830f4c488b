// The overwrite check: only an earlier Leafcraft book is offered for removal; unrelated
// folders and the folders a user lives in are never removed.
#include "fakes/TestFiles.h"
#include "publish/PublishFlow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

void makeBook(const QString& folder)
{
    test::writeFile(folder + QStringLiteral("/index.html"));
    test::writeFile(folder + QStringLiteral("/files/config.xml"));
    test::writeFile(folder + QStringLiteral("/files/page/1.jpg"));
}

// Points HOME at a folder of the test for its lifetime.
class FakeHome {
public:
    explicit FakeHome(const QString& home) : m_old(qgetenv("HOME")) { qputenv("HOME", home.toUtf8()); }
    ~FakeHome() { qputenv("HOME", m_old); }

private:
    QByteArray m_old;
};

class PublishFlowOverwrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).canonicalPath();
        home = root + QStringLiteral("/users/me");
        QDir().mkpath(home + QStringLiteral("/Desktop"));
        fakeHome = std::make_unique<FakeHome>(home);
    }

    // Runs the check answering `answer`; returns (go on, asked).
    std::pair<bool, bool> check(const QString& path, OverwriteAnswer answer)
    {
        bool asked = false;
        const bool goOn = PublishFlow::confirmOverwrite(path, [&](const QString& p) {
            asked = true;
            EXPECT_EQ(p, path);
            return answer;
        });
        return {goOn, asked};
    }

    QTemporaryDir dir;
    QString root, home;
    std::unique_ptr<FakeHome> fakeHome;
};

} // namespace

TEST_F(PublishFlowOverwrite, NothingElseIsAskedOrRemoved)
{
    const QString unrelated = root + QStringLiteral("/out/photos");
    test::writeFile(unrelated + QStringLiteral("/holiday.jpg"), "precious");
    test::writeFile(unrelated + QStringLiteral("/files/notes.txt"), "mine"); // a "files" folder, but no book
    const QString file = root + QStringLiteral("/out/file.txt");
    test::writeFile(file, "text");
    const QString linkToBook = root + QStringLiteral("/out/link");
    makeBook(root + QStringLiteral("/out/realbook"));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/out/realbook"), linkToBook));
    // Folders a user lives in, each holding what looks like a book.
    for (const QString& lived : {home, home + QStringLiteral("/Desktop"), root + QStringLiteral("/users")})
        makeBook(lived);

    struct Case {
        QString path;
        PublishFlow::OutputDirKind kind;
    } cases[] = {
        {root + QStringLiteral("/out/missing"), PublishFlow::OutputDirKind::Missing},
        {file, PublishFlow::OutputDirKind::NotAFolder},
        {unrelated, PublishFlow::OutputDirKind::OtherFolder},
        {linkToBook, PublishFlow::OutputDirKind::OtherFolder},
        {home, PublishFlow::OutputDirKind::ProtectedFolder},
        {home + QStringLiteral("/"), PublishFlow::OutputDirKind::ProtectedFolder},
        {home + QStringLiteral("/Desktop"), PublishFlow::OutputDirKind::ProtectedFolder},
        {home + QStringLiteral("/Desktop/../../me"), PublishFlow::OutputDirKind::ProtectedFolder},
        {root + QStringLiteral("/users"), PublishFlow::OutputDirKind::ProtectedFolder},
        {QStringLiteral("/"), PublishFlow::OutputDirKind::ProtectedFolder},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PublishFlow::classifyOutputDir(c.path), c.kind) << c.path.toStdString();
        EXPECT_EQ(check(c.path, OverwriteAnswer::Yes), std::make_pair(true, false)) << c.path.toStdString();
    }
    EXPECT_TRUE(QFile::exists(unrelated + QStringLiteral("/holiday.jpg")));
    EXPECT_TRUE(QFile::exists(unrelated + QStringLiteral("/files/notes.txt")));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("/out/realbook/files/config.xml")));
    for (const QString& lived : {home, home + QStringLiteral("/Desktop"), root + QStringLiteral("/users")})
        EXPECT_TRUE(QFile::exists(lived + QStringLiteral("/files/config.xml"))) << lived.toStdString();
}
