// Staging a book and swapping it in: what a manifest lets a new book replace, and how an
// interrupted swap is finished by the next publish.
#include "fakes/TestFiles.h"
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
    EXPECT_EQ(BookStaging::readManifest(root, manifest).size(), 3);

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

    BookStaging next(root, manifest);
    next.begin();
    EXPECT_EQ(test::readFile(root + "/index.html", "<missing>"), "new page");
    EXPECT_EQ(test::readFile(root + "/files/page/1.jpg", "<missing>"), "new 1");
    EXPECT_FALSE(QFileInfo::exists(root + "/files/page/9.jpg"));
    EXPECT_EQ(BookStaging::readManifest(root, manifest).size(), 3);
    EXPECT_EQ(QDir(root).entryList({".leafcraft-staging-*"}, QDir::AllEntries | QDir::Hidden), QStringList());
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
    BookStaging next(root, manifest);
    next.begin();
    EXPECT_EQ(test::readFile(root + "/later.txt", "<missing>"), "mine too");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QFileInfo(next.stagingFolder()).fileName(), "book"}));
}

TEST_F(Staging, KeepsTheFingerprintBesideTheFileList) {
    {
        BookStaging staging(root, manifest);
        staging.setFingerprint("00112233445566778899aabbccddeeff");
        staging.begin();
        test::writeFile(staging.stagingFolder() + "/fingerprint 0a.html", "page");
        staging.commit();
    }
    EXPECT_EQ(BookStaging::readFingerprint(root, manifest), "00112233445566778899aabbccddeeff");
    EXPECT_EQ(BookStaging::readManifest(root, manifest), (QStringList{"fingerprint 0a.html", manifest}));
    // Without a fingerprint, the line after the header is an entry whatever its name.
    test::writeFile(root + "/" + manifest, manifestOf({"fingerprint 0a.html", manifest}));
    EXPECT_EQ(BookStaging::readFingerprint(root, manifest), "");
    EXPECT_EQ(BookStaging::readManifest(root, manifest), (QStringList{"fingerprint 0a.html", manifest}));
}
