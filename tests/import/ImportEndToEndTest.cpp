// Whole imports of generated PDF files through the PDF back-end, the page converter and the
// page tools built beside the tests: success, cancel, and every kind of bad input.
#include "fakes/TestFiles.h"
#include "import/ImportPDFOperation.h"

#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "fakes/FakePlatform.h"
#include "import/PageConverter.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

const QString pdfData = QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/");

class ImportEndToEnd : public testing::Test {
protected:
    // Everything the converters leave in the temporary root.
    QStringList leftovers()
    {
        QStringList out;
        QDir root(platform.paths().tempRoot());
        for (const QFileInfo& entry : root.entryInfoList({QStringLiteral("Sheetwise-*")}, QDir::AllEntries))
            out << entry.fileName();
        return out;
    }
    std::unique_ptr<ImportPDFOperation> run(const QString& path, const QString& range, int workers = 2)
    {
        auto op = std::make_unique<ImportPDFOperation>(path, range, 144, 65);
        op->setImportLinks(true);
        op->setImportBookmarks(true);
        op->setWorkerCount(workers);
        op->start();
        op->waitUntilFinished();
        return op;
    }

    test::FakePlatform platform;
};

TEST_F(ImportEndToEnd, importsPagesLinksAndBookmarksAndRemovesTheFilesWithThePages)
{
    auto op = run(pdfData + QStringLiteral("links.pdf"), QStringLiteral("2-5"));
    ASSERT_TRUE(op->pageSource()) << op->errorMessage().toStdString();
    const PageSource& source = *op->pageSource();
    ASSERT_EQ(source.pages().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(source.pages()[i]->pageIndex(), int(i) + 2);
        for (const BookPageList* list : {&source.pages(), &source.thumbPages(), &source.mobilePages()})
            EXPECT_GT(QFileInfo((*list)[i]->pageFilePath()).size(), 0) << (*list)[i]->pageFilePath().toStdString();
        // The default page format: drawings.
        EXPECT_TRUE(source.pages()[i]->pageFilePath().endsWith(QStringLiteral("/%1.svg").arg(i + 2)));
    }
    EXPECT_EQ(source.normalPages().size(), 4u);
    const auto* pdfSource = dynamic_cast<const PdfPageSource*>(&source);
    ASSERT_NE(pdfSource, nullptr);
    ASSERT_NE(pdfSource->toPageConverter(), nullptr);
    EXPECT_EQ(pdfSource->toPageConverter()->pdfDocument(), pdfSource->pdfDocument());

    EXPECT_EQ(op->pageLinks()->pagesAnnotationsNode().children().size(), 4u);
    EXPECT_EQ(op->outline()->items().size(), 3u);
    EXPECT_FALSE(leftovers().isEmpty());
    op.reset();
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

struct BadInput {
    const char* file;
    const char* range;
    const char* says; // a part of the message the user sees
};

class ImportBadInput : public ImportEndToEnd, public testing::WithParamInterface<BadInput> {};

TEST_P(ImportBadInput, failsWithAClearMessageAndLeavesNothing)
{
    const BadInput& c = GetParam();
    QString path = pdfData + QString::fromLatin1(c.file);
    if (QString::fromLatin1(c.file) == QLatin1String("random.pdf")) {
        QByteArray bytes("%PDF-1.7\n");
        for (int i = 0; i < 20000; ++i)
            bytes += char((i * 2654435761u) >> 13);
        path = test::writeFile(platform.root() + QStringLiteral("/random.pdf"), bytes);
    }
    auto op = run(path, QString::fromLatin1(c.range));
    EXPECT_TRUE(op->isFinished());
    EXPECT_FALSE(op->pageSource());
    EXPECT_TRUE(op->errorMessage().contains(QString::fromLatin1(c.says), Qt::CaseInsensitive))
        << op->errorMessage().toStdString();
    // Links and bookmarks of a failed import are empty, never a half-read document.
    ASSERT_TRUE(op->pageLinks());
    EXPECT_TRUE(op->pageLinks()->pagesAnnotationsNode().children().empty());
    EXPECT_TRUE(op->outline()->items().empty());
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, ImportBadInput,
                         testing::Values(BadInput{"text.pdf", "ALL", "not a PDF"},
                                         BadInput{"damaged.pdf", "ALL", ""},
                                         BadInput{"random.pdf", "ALL", ""},
                                         BadInput{"truncated.pdf", "ALL", "truncated"},
                                         BadInput{"encrypted-40.pdf", "ALL", "password protected"},
                                         BadInput{"encrypted-128.pdf", "1", "password protected"},
                                         BadInput{"nopages.pdf", "ALL", "no pages"},
                                         BadInput{"missing.pdf", "ALL", "missing.pdf"},
                                         BadInput{"links.pdf", "9-12", "has no page of this document (1-5)"}));

} // namespace
