#include "publish/ReaderFiles.h"

#include "import/PageSource.h"
#include "import/PageFacts.h"
#include "support/SaveFile.h"
#include "publish/BookDocuments.h"
#include "support/ParallelWork.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <thread>

namespace leafcraft::bookdoc {

QHash<int, int> bookPositions(const PageSource& source)
{
    QHash<int, int> positions;
    int position = 0;
    for (const auto& page : source.pages()) {
        ++position;
        if (!positions.contains(page->pageIndex()))
            positions.insert(page->pageIndex(), position);
    }
    return positions;
}

void mapContentsToBook(xml::Element ols, const QHash<int, int>& positions)
{
    for (const xml::Element& o : ols.children(QStringLiteral("o"))) {
        xml::Element p = o.firstChild(QStringLiteral("p"));
        if (!p.isNull()) {
            bool ok = false;
            const int page = p.stringValue().trimmed().toInt(&ok);
            p.setText(QString::number(ok ? positions.value(page, 0) : 0));
        }
        const xml::Element ci = o.firstChild(QStringLiteral("ci"));
        if (!ci.isNull())
            mapContentsToBook(ci, positions);
    }
}

std::optional<QStringList> importedPageTexts(const PageSource& source)
{
    QStringList texts;
    bool any = false;
    for (const auto& page : source.pages()) {
        const PageFacts* facts = page->facts().get();
        any = any || facts;
        texts << (facts && !facts->textWithheld ? facts->text.text : QStringLiteral(""));
    }
    if (!any)
        return std::nullopt;
    return texts;
}

namespace {

// Appends `v` with four decimals, as QByteArray::number(v, 'f', 4) would, without its cost
// (a book holds some hundred thousand of these).
void appendFixed4(QByteArray& out, float v)
{
    const double scaled = std::round(double(v) * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e15) {
        out += QByteArray::number(std::isfinite(v) ? double(v) : 0.0, 'f', 4);
        return;
    }
    long long n = static_cast<long long>(scaled);
    char buffer[32];
    char* p = buffer + sizeof buffer;
    const bool negative = n < 0;
    n = negative ? -n : n;
    for (int digit = 0; digit < 4; ++digit, n /= 10)
        *--p = char('0' + n % 10);
    *--p = '.';
    do {
        *--p = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    if (negative)
        *--p = '-';
    out.append(p, buffer + sizeof buffer - p);
}

} // namespace

QByteArray wordsScript(int position, const std::vector<pdf::Word>& words)
{
    QByteArray out = "(window.LeafcraftWords = window.LeafcraftWords || {})[" + QByteArray::number(position) + "] = [";
    out.reserve(out.size() + qsizetype(words.size()) * 48);
    bool first = true;
    for (const pdf::Word& w : words) {
        if (!first)
            out += ", ";
        first = false;
        out += '[';
        for (float v : {w.x, w.y, w.width, w.height}) {
            appendFixed4(out, v);
            out += ", ";
        }
        out += jsStringLiteral(w.text);
        out += ']';
    }
    out += "];\n";
    return out;
}

void writeWordFiles(const QString& folder, const PageSource& source,
                    const std::function<void(const QString& path, const QString& problem)>& fail)
{
    // Words files of an earlier book in this folder would speak for pages they do not show.
    static const QRegularExpression ours(QStringLiteral("^words-[0-9]+\\.js$"));
    const QDir dir(folder);
    for (const QFileInfo& old : dir.entryInfoList({QStringLiteral("words-*.js")}, QDir::Files | QDir::NoSymLinks))
        if (ours.match(old.fileName()).hasMatch())
            QFile::remove(old.absoluteFilePath());
    struct Job {
        int position;
        const PageFacts* facts;
        QString path;
        QString problem;
    };
    std::vector<Job> jobs;
    int position = 0;
    for (const auto& page : source.pages()) {
        ++position;
        const PageFacts* facts = page->facts().get();
        if (facts && !facts->textWithheld && !facts->text.words.empty())
            jobs.push_back({position, facts, dir.filePath(QStringLiteral("words-%1.js").arg(position)), QString()});
    }
    // Formatting and writing a file per page: shared among a few threads, failures told in order.
    const int workers = std::min(4, std::max(1, int(std::thread::hardware_concurrency())));
    detail::runInPageOrder(
        int(jobs.size()), jobs.size() > 16 ? workers : 1,
        [&jobs](int, int i) {
            Job& job = jobs[std::size_t(i)];
            // The folder is a staging one, or its words files were just removed: write in place.
            const QByteArray script = wordsScript(job.position, job.facts->text.words);
            job.problem = trySaveFile(job.path, script, {.createOnly = true});
            if (!job.problem.isNull())
                job.problem = trySaveFile(job.path, script);
        },
        [&jobs, &fail](int i) {
            if (!jobs[std::size_t(i)].problem.isNull())
                fail(jobs[std::size_t(i)].path, jobs[std::size_t(i)].problem);
        },
        [] { return false; });
}

} // namespace leafcraft::bookdoc
