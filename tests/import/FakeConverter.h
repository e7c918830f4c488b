// A page converter double: writes small files into a work folder of its own and can be told
// to fail, to make an empty file, or to run a hook when it reaches a page.
#pragma once

#include "import/PdfPageSource.h"
#include "platform/Platform.h"
#include "support/Error.h"

#include "fakes/FakePdfDocument.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <functional>
#include <mutex>

namespace leafcraft::test {

struct ConversionPlan {
    int failPage = 0;  // generatePage throws for this page
    int emptyPage = 0; // the page file of this page is made empty
    std::function<void(int page)> onPage; // called before a page file is made, on the worker
    std::atomic<int> folders{0};
    std::atomic<int> pageCalls{0};
    int sizePage = 0;
    std::mutex mutex;
    QStringList workFolders;
};

class FakeConverter : public PdfPageSource::Converter {
public:
    explicit FakeConverter(ConversionPlan& plan) : m_plan(plan)
    {
        m_folder = Platform::current().paths().tempRoot() + QStringLiteral("/work%1").arg(++plan.folders);
        QDir().mkpath(m_folder);
        std::lock_guard lock(plan.mutex);
        plan.workFolders << m_folder;
    }
    ~FakeConverter() override { QDir(m_folder).removeRecursively(); }

    PageFiles convertPage(int n, const pdf::Document& document) override
    {
        ++m_plan.pageCalls;
        if (n < 1 || n > document.pageCount())
            throw Error(ErrorKind::BadInput, QStringLiteral("no page %1").arg(n));
        if (m_plan.onPage)
            m_plan.onPage(n);
        if (n == m_plan.failPage)
            throw Error(ErrorKind::BadInput, QStringLiteral("page %1 cannot be rendered").arg(n));
        PageFiles files;
        files.page = write(QStringLiteral("%1.swf").arg(n), n == m_plan.emptyPage ? QByteArray() : QByteArray("FWS"));
        if (n == m_plan.emptyPage)
            files.problem = QStringLiteral("pdf2swf failed");
        files.thumb = write(QStringLiteral("020126030405%1.jpg").arg(n), "jpg");
        files.mobile = write(QStringLiteral("%1_mobile.jpg").arg(n), "jpg");
        return files;
    }
    void setSizePage(int n) override { m_plan.sizePage = n; }
    QString workFolder() const override { return m_folder; }

private:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    ConversionPlan& m_plan;
    QString m_folder;
};

// A backend over an in-memory document of `pageCount` pages and fake converters.
inline PdfPageSource::Backend fakeBackend(ConversionPlan& plan, std::shared_ptr<FakePdfDocument> document)
{
    PdfPageSource::Backend backend;
    backend.openDocument = [document](const QString& path) -> std::unique_ptr<pdf::Document> {
        if (!document)
            throw Error(ErrorKind::BadInput, QStringLiteral("the file is password protected"), path);
        return document->clone();
    };
    backend.createConverter = [&plan](const QString&, std::shared_ptr<pdf::Document> handle, int) {
        if (!handle)
            throw Error(ErrorKind::Internal, QStringLiteral("no handle"));
        return std::make_unique<FakeConverter>(plan);
    };
    return backend;
}

inline std::shared_ptr<FakePdfDocument> fakeDocument(int pageCount)
{
    auto doc = std::make_shared<FakePdfDocument>();
    doc->pages.resize(std::size_t(pageCount));
    return doc;
}

} // namespace leafcraft::test
