// The PDF page source and the import operation over in-memory documents and fake page
// converters: progress order, results, failures and cancellation.
#include "import/ImportPDFOperation.h"

#include "FakeConverter.h"
#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "fakes/FakePlatform.h"
#include "platform/NotificationCenter.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <condition_variable>

using namespace leafcraft;
using namespace leafcraft::test;

namespace {

struct Progress {
    int pageIndex;
    int totalPage;
    QString type;
    bool operator==(const Progress&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Progress& p)
{
    return os << p.type.toStdString() << ' ' << p.pageIndex << '/' << p.totalPage;
}

// Collects the progress notifications posted while it lives (from any thread).
class ProgressLog {
public:
    ProgressLog()
        : m_observer(NotificationCenter::defaultCenter(), QStringLiteral("ImportProgressInfoMSG"), nullptr,
                     [this](const Notification& n) {
                         std::lock_guard lock(m_mutex);
                         EXPECT_EQ(n.userInfo.size(), 3);
                         m_entries.push_back({n.userInfo.value(QStringLiteral("pageIndex")).toInt(),
                                              n.userInfo.value(QStringLiteral("totalPage")).toInt(),
                                              n.userInfo.value(QStringLiteral("type")).toString()});
                     })
    {
    }
    std::vector<Progress> entries()
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    std::mutex m_mutex;
    std::vector<Progress> m_entries;
    ScopedObserver m_observer;
};

std::vector<Progress> stepsOf(int total, std::initializer_list<const char*> types)
{
    std::vector<Progress> out;
    for (const char* type : types)
        for (int i = 1; i <= total; ++i)
            out.push_back({i, total, QString::fromLatin1(type)});
    return out;
}

bool allGone(const QStringList& folders)
{
    for (const QString& f : folders)
        if (QFileInfo::exists(f))
            return false;
    return true;
}

class PageSourcePDF : public testing::TestWithParam<int> {
protected:
    FakePlatform platform;
    ConversionPlan plan;
};

TEST_P(PageSourcePDF, makesTheNeededPagesInOrderAndReportsEveryStepInPageOrder)
{
    const int workers = GetParam();
    ProgressLog log;
    QStringList folders;
    {
        PdfPageSource source(QStringLiteral("/in/book.pdf"), QStringLiteral("9,2-4,7,1-2000000000"), 144, 85,
                                  fakeBackend(plan, fakeDocument(9)));
        source.setWorkerCount(workers);
        EXPECT_EQ(source.sourceFile(), QStringLiteral("/in/book.pdf"));
        source.generatePages();
        source.generateThumbPages();
        source.generateMobilePages();
        source.generateNormalPages();

        ASSERT_EQ(source.pages().size(), 9u);
        for (int i = 0; i < 9; ++i) {
            const int n = i + 1;
            EXPECT_EQ(source.pages()[std::size_t(i)]->pageIndex(), n);
            EXPECT_TRUE(source.pages()[std::size_t(i)]->pageFilePath().endsWith(QStringLiteral("/%1.swf").arg(n)));
            EXPECT_TRUE(source.thumbPages()[std::size_t(i)]->pageFilePath().endsWith(QStringLiteral("5%1.jpg").arg(n)));
            EXPECT_TRUE(source.mobilePages()[std::size_t(i)]->pageFilePath().endsWith(QStringLiteral("/%1_mobile.jpg").arg(n)));
            ASSERT_NE(source.normalPageAt(n), nullptr);
            EXPECT_EQ(source.normalPageAt(n)->pageFilePath(), source.pages()[std::size_t(i)]->pageFilePath());
            EXPECT_EQ(source.thumbPageAt(n), source.thumbPages()[std::size_t(i)].get());
        }
        EXPECT_EQ(plan.pageCalls.load(), 9); // every page converted once
        EXPECT_EQ(plan.folders.load(), 1);
        EXPECT_EQ(plan.sizePage, 1);
        folders = QStringList{source.workFolder()};
        EXPECT_EQ(log.entries(), stepsOf(9, {"geneatePage", "geneateThumbPage", "geneatePage", "geneateNormalPage"}));
        source.setStop(true);
        EXPECT_EQ(source.normalPageAt(1), nullptr);
        EXPECT_EQ(source.thumbPageAt(1), nullptr);
    }
    EXPECT_TRUE(allGone(folders));
}

INSTANTIATE_TEST_SUITE_P(Workers, PageSourcePDF, testing::Values(1, 2, 4, 16));

TEST(PageSourcePDFFailure, pagesWithoutFilesAreNamedAtTheEndOrLeftOut)
{
    FakePlatform platform;
    // An exception ends the step at once; a page the converter could not make does not stop
    // the others and is named at the end of the step, or left out when told to keep going.
    for (int mode : {0, 1, 2}) {
        ConversionPlan plan;
        (mode == 0 ? plan.failPage : plan.emptyPage) = 3;
        ProgressLog log;
        PdfPageSource source(QStringLiteral("/in/book.pdf"), QStringLiteral("ALL"), 144, 85,
                                  fakeBackend(plan, fakeDocument(5)));
        source.setWorkerCount(1);
        source.setKeepGoing(mode == 2);
        try {
            source.generatePages();
            EXPECT_EQ(mode, 2) << "a failed page was reported as success";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(mode == 0 ? QStringLiteral("page 3 cannot be rendered")
                                                       : QStringLiteral("1 of 5 pages could not be rendered (pages 3): pdf2swf failed")))
                << e.text().toStdString();
        }
        EXPECT_EQ(source.pages().size(), mode == 0 ? 2u : 4u);
        EXPECT_EQ(log.entries().size(), mode == 0 ? 2u : 5u);
        EXPECT_EQ(source.failedPages(), mode == 0 ? std::vector<int>{} : std::vector<int>{3});
    }
}

// --- The operation --------------------------------------------------------------------

std::unique_ptr<ImportPDFOperation> operation(ConversionPlan& plan, std::shared_ptr<FakePdfDocument> doc,
                                              const char* range, bool links, bool bookmarks)
{
    auto op = std::make_unique<ImportPDFOperation>(QStringLiteral("/in/book.pdf"), QString::fromLatin1(range), 144, 85);
    op->setBackend(fakeBackend(plan, std::move(doc)));
    op->setImportLinks(links);
    op->setImportBookmarks(bookmarks);
    return op;
}

TEST(ImportPDFOperation, cancelMidImportStopsWithinAPageDropsEverythingAndRemovesTheFiles)
{
    FakePlatform platform;
    for (int workers : {1, 2}) {
        ConversionPlan plan;
        ProgressLog log;
        auto op = operation(plan, fakeDocument(40), "ALL", true, true);
        op->setWorkerCount(workers);
        plan.onPage = [&](int page) {
            if (page == 5)
                op->cancel();
        };
        op->start();
        op->waitUntilFinished();

        EXPECT_TRUE(op->isCancelled());
        EXPECT_TRUE(op->isFinished());
        EXPECT_FALSE(op->pageSource());
        EXPECT_FALSE(op->pageLinks());
        EXPECT_FALSE(op->outline());
        // Pages already handed to a worker finish; no new page starts.
        EXPECT_LE(plan.pageCalls.load(), 5 + workers - 1);
        for (const Progress& p : log.entries())
            EXPECT_EQ(p.type, QStringLiteral("geneatePage"));
        EXPECT_LE(log.entries().size(), std::size_t(5 + workers - 1));
        EXPECT_TRUE(allGone(plan.workFolders));
    }
}

} // namespace
