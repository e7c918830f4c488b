// Staging a book and swapping it in: what a manifest lets a new book replace, and how an
// interrupted swap is finished by the next publish.
#include "fakes/TestFiles.h"
#include "publish/BookManifest.h"
#include "publish/BookStaging.h"

#include "support/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

QByteArray manifestOf(const QStringList& files) {
    return "# leafcraft book manifest 1\n" + files.join('\n').toUtf8() + '\n';
}

// What the lock file of an interrupted run says it made.
void recordStagings(const QString& root, const QStringList& stagings) {
    QByteArray lines;
    for (const QString& s : stagings) {
        lines += "staging " + s.toUtf8() + '\n';
        if (QFile::exists(s + "/.leafcraft-swap"))
            lines += "journal " + BookManifest::describe(s, ".leafcraft-swap").hash + ' ' + s.toUtf8() + '\n';
    }
    test::writeFile(root + "/.leafcraft-lock", lines);
    QFile::setPermissions(root + "/.leafcraft-lock", QFile::ReadOwner | QFile::WriteOwner);
}

class Staging : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/book");
    const QString manifest = BookStaging::manifestName();
};

} // namespace

TEST_F(Staging, ReplacesExactlyThePreviousBooksFiles) {
    test::writeFile(root + "/files/page/1.jpg", "old 1");
    test::writeFile(root + "/files/page/2.jpg", "old 2");
    test::writeFile(root + "/files/old/only.js", "old only");
    test::writeFile(root + "/files/page/notes.txt", "mine");
    test::writeFile(dir.path() + "/outside.txt", "mine");
    // A manifest's entries that leave the folder are never followed.
    test::writeFile(root + "/" + manifest, manifestOf({"files/page/1.jpg", "files/page/2.jpg", "files/old/only.js",
                                           "../outside.txt", "/etc/hostname", "files/../../outside.txt"}));
    EXPECT_EQ(BookStaging::readManifest(root, manifest).size(), 4); // and itself

    {
        BookStaging staging(root, manifest);
        staging.begin();
        test::writeFile(staging.stagingFolder() + "/files/page/1.jpg", "new 1");
        test::writeFile(staging.stagingFolder() + "/index.html", "new page");
        EXPECT_TRUE(staging.conflicts().isEmpty());
        staging.commit();
    }

    EXPECT_EQ(test::readFile(root + "/files/page/1.jpg", "<missing>"), "new 1");
    EXPECT_EQ(test::readFile(root + "/index.html", "<missing>"), "new page");
    EXPECT_FALSE(QFileInfo::exists(root + "/files/page/2.jpg"));
    EXPECT_FALSE(QFileInfo::exists(root + "/files/old")); // emptied folders go too
    EXPECT_EQ(test::readFile(root + "/files/page/notes.txt", "<missing>"), "mine");
    EXPECT_EQ(test::readFile(dir.path() + "/outside.txt", "<missing>"), "mine");
    EXPECT_EQ(BookStaging::readManifest(root, manifest),
              (QStringList{"files/page/1.jpg", "index.html", manifest}));
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"files", "index.html"}));
}

TEST_F(Staging, RefusesBeforeChangingAnything) {
    const QString elsewhere = dir.path() + "/elsewhere";
    QDir().mkpath(elsewhere);
    test::writeFile(root + "/index.html", "mine");
    QDir().mkpath(root + "/files");
    ASSERT_TRUE(QFile::link(elsewhere, root + "/files/page"));
    {
        BookStaging staging(root, manifest);
        staging.begin();
        test::writeFile(staging.stagingFolder() + "/index.html", "new");
        test::writeFile(staging.stagingFolder() + "/files/page/1.jpg", "new");
        EXPECT_EQ(staging.conflicts(), (QStringList{"files/page is a symbolic link", "index.html"}));
        EXPECT_THROW(staging.commit(), Error);
    }
    EXPECT_EQ(test::readFile(root + "/index.html", "<missing>"), "mine");
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"files", "index.html"}));
}

TEST_F(Staging, AnInterruptedSwapIsFinishedAndAnUnfinishedStagingDropped) {
    // A swap that stopped half-way: 1.jpg already moved, index.html and the manifest not yet.
    test::writeFile(root + "/files/page/1.jpg", "new 1");
    test::writeFile(root + "/files/page/9.jpg", "old 9");
    test::writeFile(root + "/" + manifest, manifestOf({"files/page/1.jpg", "files/page/9.jpg"}));
    const QString swapping = root + "/.leafcraft-staging-abc123";
    test::writeFile(swapping + "/index.html", "new page");
    test::writeFile(swapping + "/" + manifest, manifestOf({"files/page/1.jpg", "index.html", manifest}));
    test::writeFile(swapping + "/.leafcraft-swap", manifestOf({"files/page/1.jpg", "files/page/9.jpg"}));
    // A staging that never began to swap: its book was not complete.
    test::writeFile(root + "/.leafcraft-staging-def456/files/page/1.jpg", "half");
    // One this user's runs never recorded (another's, planted) is left alone, journal and all.
    test::writeFile(root + "/.leafcraft-staging-zzz999/.leafcraft-swap", manifestOf({"index.html"}));
    // One recorded, whose journal was changed afterwards to name the user's page: left alone too.
    const QString edited = root + "/.leafcraft-staging-edited";
    test::writeFile(edited + "/.leafcraft-swap", manifestOf({"files/page/9.jpg"}));
    recordStagings(root, {swapping, root + "/.leafcraft-staging-def456", edited});
    test::writeFile(edited + "/.leafcraft-swap", manifestOf({"files/page/9.jpg", "index.html"}));

    BookStaging next(root, manifest);
    next.begin();
    EXPECT_EQ(test::readFile(root + "/index.html", "<missing>"), "new page");
    EXPECT_EQ(test::readFile(root + "/files/page/1.jpg", "<missing>"), "new 1");
    EXPECT_FALSE(QFileInfo::exists(root + "/files/page/9.jpg"));
    EXPECT_EQ(BookStaging::readManifest(root, manifest).size(), 3);
    EXPECT_EQ(QDir(root).entryList({".leafcraft-staging-*"}, QDir::AllEntries | QDir::Hidden),
              (QStringList{".leafcraft-staging-edited", ".leafcraft-staging-zzz999"}));
    EXPECT_EQ(next.warnings().size(), 2u);
    EXPECT_TRUE(next.exchangesFolders());
}

TEST_F(Staging, WhatAUserAddsWhileABookIsWrittenStaysAndAnExchangedOutBookIsSettled) {
    test::writeFile(root + "/files/page/1.jpg", "old 1");
    test::writeFile(root + "/notes.txt", "mine");
    test::writeFile(root + "/" + manifest, manifestOf({"files/page/1.jpg", manifest}));
    {
        BookStaging staging(root, manifest);
        staging.begin();
        ASSERT_TRUE(staging.exchangesFolders());
        test::writeFile(staging.stagingFolder() + "/files/page/1.jpg", "new 1");
        test::writeFile(root + "/files/page/added.txt", "added meanwhile");
        staging.commit();
    }
    EXPECT_EQ(test::readFile(root + "/files/page/1.jpg", "<missing>"), "new 1");
    EXPECT_EQ(test::readFile(root + "/files/page/added.txt", "<missing>"), "added meanwhile");
    EXPECT_EQ(test::readFile(root + "/notes.txt", "<missing>"), "mine");

    // A KILL right after an exchange left the previous book beside, with a file a user put
    // there meanwhile; a staging folder that never held a whole book carries the marker.
    const QString exchangedOut = dir.path() + "/.book.leafcraft-staging-abc123";
    test::writeFile(exchangedOut + "/files/page/1.jpg", "new 1");
    test::writeFile(exchangedOut + "/later.txt", "mine too");
    test::writeFile(exchangedOut + "/" + manifest, manifestOf({"files/page/1.jpg", manifest}));
    test::writeFile(dir.path() + "/.book.leafcraft-staging-def456/.leafcraft-new", "");
    recordStagings(root, {exchangedOut, dir.path() + "/.book.leafcraft-staging-def456"});
    BookStaging next(root, manifest);
    next.begin();
    EXPECT_EQ(test::readFile(root + "/later.txt", "<missing>"), "mine too");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QFileInfo(next.stagingFolder()).fileName(), "book"}));
}

TEST(Manifest, KeepsUnknownHeadersReadableAndSkipsDamagedLines) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/m.txt";
    test::writeFile(dir.path() + "/a b.jpg", "picture");
    BookManifest written;
    written.setHeader("fingerprint", "00ff");
    written.addFile(BookManifest::describe(dir.path(), "a b.jpg"));
    ASSERT_TRUE(written.write(path));
    const QByteArray hash = written.files()[0].hash;
    // Lines a later version may add, and damaged ones, around what this one wrote.
    test::writeFile(path, test::readFile(path, "") + "colour blue\nfile 7 " + hash + " ../out.txt\nfile x " + hash +
                              " x.jpg\nfile 7 XYZ y.jpg\nfile 7 " + hash + "\n");
    const BookManifest read = BookManifest::read(path);
    EXPECT_EQ(read.version(), 2);
    EXPECT_EQ(read.paths(), QStringList{"a b.jpg"});
    EXPECT_EQ(read.header("fingerprint"), "00ff");
    EXPECT_TRUE(BookManifest::holdsRecorded(dir.path() + "/a b.jpg", read.files()[0]));
    test::writeFile(dir.path() + "/a b.jpg", "pictur3"); // same size, other bytes
    EXPECT_FALSE(BookManifest::holdsRecorded(dir.path() + "/a b.jpg", read.files()[0]));
    test::writeFile(path, "# leafcraft book manifest 3\nfile 7 " + hash + " a b.jpg\n");
    EXPECT_FALSE(BookManifest::read(path).isValid()); // a version this one does not know
}
