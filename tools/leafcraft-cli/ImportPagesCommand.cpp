// leafcraft-cli import-pages: converts the pages of a PDF into page files (page, thumbnail
// and mobile picture per page) with a pool of worker threads, and moves them into a folder.
// Used to measure the page converter on its own (bench/import.sh).
#include "Command.h"

#include "import/PageSource.h"
#include "import/PdfPageConverter.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <mutex>
#include <thread>

namespace leafcraft::cli {

namespace {

const char* const kHelp =
    "Usage: leafcraft-cli import-pages PDF -o DIR [--format jpg|svg|swf] [--quality N] [--jobs N] [--pages RANGE]\n"
    "\n"
    "Converts the pages of PDF into page files, thumbnails and mobile pictures in DIR.\n"
    "  -o DIR            the folder to fill (created when missing)\n"
    "  --format F        the page file format: jpg (default), svg or swf\n"
    "  --quality N       JPEG quality in percent, 1-100 (default 85)\n"
    "  --jobs N          pages converted at once (default and most: the number of processors)\n"
    "  --pages RANGE     the pages, for example 1-3,7 (default all)\n";

int run(const QStringList& args)
{
    if (wantsHelp(args, {QStringLiteral("-o"), QStringLiteral("--format"), QStringLiteral("--quality"),
                         QStringLiteral("--jobs"), QStringLiteral("--pages")})) {
        out(QString::fromLatin1(kHelp));
        return ExitOk;
    }
    QString pdfPath, outDir, range = QStringLiteral("all");
    PageFormat format = PageFormat::Jpg;
    int quality = 85;
    int jobs = std::max(1, QThread::idealThreadCount());
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() {
            if (i + 1 >= args.size())
                throw Error(ErrorKind::Usage, QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        auto number = [&](int low, int high) {
            bool ok = false;
            const QString text = value();
            const int n = text.toInt(&ok);
            if (!ok || n < low || n > high)
                throw Error(ErrorKind::Usage, QStringLiteral("%1 takes a number from %2 to %3, not '%4'").arg(a).arg(low).arg(high).arg(text));
            return n;
        };
        if (a == QLatin1String("-o"))
            outDir = value();
        else if (a == QLatin1String("--format")) {
            const QString f = value();
            if (f == QLatin1String("jpg"))
                format = PageFormat::Jpg;
            else if (f == QLatin1String("svg"))
                format = PageFormat::Svg;
            else if (f == QLatin1String("swf"))
                format = PageFormat::Swf;
            else
                throw Error(ErrorKind::Usage, QStringLiteral("--format is jpg, svg or swf, not '%1'").arg(f));
        } else if (a == QLatin1String("--quality"))
            quality = number(1, 100);
        else if (a == QLatin1String("--jobs"))
            jobs = std::min(number(1, 256), std::max(1, QThread::idealThreadCount()));
        else if (a == QLatin1String("--pages"))
            range = value();
        else if (a.startsWith(QLatin1Char('-')))
            return usageError(QStringLiteral("unknown option '%1'").arg(a), QStringLiteral("import-pages"));
        else if (pdfPath.isEmpty())
            pdfPath = a;
        else
            return usageError(QStringLiteral("more than one PDF given"), QStringLiteral("import-pages"));
    }
    if (pdfPath.isEmpty() || outDir.isEmpty())
        return usageError(QStringLiteral("give a PDF and -o DIR"), QStringLiteral("import-pages"));
    if (!QDir().mkpath(outDir))
        throw Error(ErrorKind::Output, QStringLiteral("the folder cannot be created"), outDir);

    std::shared_ptr<pdf::Document> doc = pdf::openDocument(pdfPath);
    std::vector<int> pages;
    for (int n : PageSource::parsePageRange(range, doc->pageCount()))
        if (n >= 1 && n <= doc->pageCount())
            pages.push_back(n);
    if (pages.empty())
        throw Error(ErrorKind::BadInput, QStringLiteral("the range '%1' names no page of the PDF").arg(range), pdfPath);

    PdfPageConverter converter(pdfPath, doc, quality);
    converter.setSizePage(pages.front());
    converter.setTextWanted(false); // page files only
    jobs = std::min<int>(jobs, int(pages.size()));

    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex reportMutex;
    QStringList problems;
    Error firstError(ErrorKind::Internal, QString());
    auto moveInto = [&](const QString& file) {
        if (file.isEmpty() || !QFileInfo::exists(file))
            return;
        const QString target = outDir + QLatin1Char('/') + QFileInfo(file).fileName();
        QFile::remove(target);
        if (!QFile::rename(file, target))
            throw Error(ErrorKind::Output, QStringLiteral("the page file cannot be moved here"), target);
    };
    auto worker = [&](std::shared_ptr<const pdf::Document> own) {
        try {
            for (size_t i = next++; i < pages.size() && !failed; i = next++) {
                ConvertedPage page = converter.convertPage(pages[i], format, own.get());
                moveInto(page.page);
                moveInto(page.thumb);
                moveInto(page.mobile);
                if (!page.warnings.isEmpty()) {
                    std::lock_guard lock(reportMutex);
                    problems << page.warnings.texts();
                }
            }
        } catch (const Error& e) {
            std::lock_guard lock(reportMutex);
            if (!failed.exchange(true))
                firstError = e;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < jobs; ++t)
        threads.emplace_back(worker, std::shared_ptr<const pdf::Document>(doc->clone()));
    worker(doc);
    for (auto& t : threads)
        t.join();
    if (failed)
        throw firstError;
    for (const QString& p : problems)
        err(QStringLiteral("leafcraft-cli: warning: %1\n").arg(p));
    out(QStringLiteral("%1 pages converted into %2\n").arg(pages.size()).arg(outDir));
    return problems.isEmpty() ? ExitOk : ExitBadInput;
}

const CommandRegistration registration(QStringLiteral("import-pages"),
                                       QStringLiteral("convert PDF pages into page files (for measurements)"), run);

} // namespace

} // namespace leafcraft::cli
