// The file primitives of the book writer: copying files (one at a time or in batches on
// helper threads), copying folders, removing paths, and collecting warnings.
#include "publish/BookWriter.h"

#include "platform/Log.h"
#include "publish/BookStaging.h"
#include "support/SaveFile.h"
#include "support/ScratchFolders.h"
#include "import/PageSource.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace leafcraft {

namespace detail {

struct CopyResult {
    enum Kind { Copied, SourceMissing, Failed } kind;
    QString problem;
};

// A file of one of this process's own work folders (a page picture the import wrote) is
// linked rather than copied when both are on one file system: those files are never changed
// in place (each is written anew and renamed over), so the book's link keeps what it had.
bool linkOwnFile(const QByteArray& src, const QByteArray& dst, bool replace)
{
    struct stat st {};
    if (::lstat(src.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if (::link(src.constData(), dst.constData()) == 0)
        return true;
    return errno == EEXIST && replace && ::unlink(dst.constData()) == 0 && ::link(src.constData(), dst.constData()) == 0;
}

// Copies the bytes of the regular file `from` into a new file `to` in the kernel, without
// passing them through user space. An existing `to` is replaced when `replace` is true and
// makes the copy fail otherwise. A failed copy leaves no partial file behind.
CopyResult copyFileContents(const QString& from, const QString& to, bool replace)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (scratch::holds(from) && linkOwnFile(src, dst, replace))
        return {CopyResult::Copied, QString()};
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return {errno == ENOENT || errno == ENOTDIR ? CopyResult::SourceMissing : CopyResult::Failed,
                QString::fromLocal8Bit(std::strerror(errno))};
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return {CopyResult::SourceMissing, QStringLiteral("not a file")};
    }
    int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0 && errno == EEXIST && replace && ::unlink(dst.constData()) == 0)
        out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return {CopyResult::Failed, writeProblemText(e)};
    }
    int error = 0;
    off_t left = st.st_size;
    bool fallback = false;
    while (left > 0) {
        const ssize_t n = fallback ? -1 : ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0)
            break; // the file shrank meanwhile
        if (!fallback && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            fallback = true;
            continue;
        }
        if (!fallback && errno == EINTR)
            continue;
        if (!fallback) {
            error = errno;
            break;
        }
        // Plain read and write, for file systems without an in-kernel copy.
        char buffer[1 << 16];
        const ssize_t r = ::read(in, buffer, sizeof buffer);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            error = r < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < r;) {
            const ssize_t w = ::write(out, buffer + done, size_t(r - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                error = w < 0 ? errno : EIO;
                break;
            }
            done += w;
        }
        if (error)
            break;
        left -= r;
    }
    ::close(in);
    if (::close(out) != 0 && !error)
        error = errno;
    if (error) {
        ::unlink(dst.constData());
        return {CopyResult::Failed, writeProblemText(error)};
    }
    return {CopyResult::Copied, QString()};
}

} // namespace detail

namespace {

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

} // namespace

void BookWriter::warn(const QString& where, const QString& message, bool failedWrite)
{
    // A file in the staging folder is named by where it will be in the book.
    QString shown = where;
    if (m_activeStaging && shown.startsWith(m_activeStaging->stagingFolder() + QLatin1Char('/')))
        shown = m_activeStaging->root() + shown.mid(m_activeStaging->stagingFolder().size());
    LC_WARN(shown + QStringLiteral(": ") + message);
    m_warnings.add(shown, message);
    if (failedWrite) {
        ++m_failedWrites;
        m_failedFiles << shown;
    }
}

bool BookWriter::copyFile(const QString& from, const QString& to, bool replace)
{
    const detail::CopyResult r = from.isEmpty() ? detail::CopyResult{detail::CopyResult::SourceMissing, QString()}
                                                : detail::copyFileContents(from, to, replace);
    switch (r.kind) {
    case detail::CopyResult::Copied: return true;
    case detail::CopyResult::SourceMissing:
        warn(from.isEmpty() ? to : from, QStringLiteral("the file is missing"), true);
        return false;
    case detail::CopyResult::Failed:
        warn(to, QStringLiteral("cannot copy %1: %2").arg(from, r.problem), true);
        return false;
    }
    return false;
}

// A batch of copies in flight: helper threads take the tasks one by one; the results are
// reported in task order once the batch is finished.
struct BookWriter::CopyBatch {
    std::vector<CopyTask> work;
    std::vector<detail::CopyResult> results;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> finished{0};
    std::atomic<bool> cancelled{false};
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable done;

    void run()
    {
        for (std::size_t i; !cancelled && (i = next.fetch_add(1)) < work.size();) {
            results[i] = work[i].from.isEmpty() ? detail::CopyResult{detail::CopyResult::SourceMissing, QString()}
                                                : detail::copyFileContents(work[i].from, work[i].to, true);
            if (++finished == work.size()) {
                std::lock_guard lock(mutex);
                done.notify_all();
            }
        }
    }
    // Waits until every task is finished, or `timeout` has passed.
    void waitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        done.wait_for(lock, timeout, [this] { return finished >= work.size() || cancelled; });
    }
    bool busy() const
    {
        return !threads.empty() && finished < work.size() && !cancelled;
    }
    void join()
    {
        for (std::thread& t : threads)
            t.join();
        threads.clear();
        run(); // whatever no thread took (none could be started)
    }
};

void BookWriter::copyFiles(const std::vector<CopyTask>& tasks)
{
    auto batch = std::make_unique<CopyBatch>();
    // When two pages share a target, the later one wins, as if copied one after the other.
    QHash<QString, std::size_t> slot;
    for (const CopyTask& t : tasks) {
        const auto it = slot.constFind(t.to);
        if (it != slot.constEnd()) {
            batch->work[*it] = t;
        } else {
            slot.insert(t.to, batch->work.size());
            batch->work.push_back(t);
        }
    }
    batch->results.assign(batch->work.size(), {detail::CopyResult::Failed, QString()});
    // Several copies in flight keep the disk busy while one of them waits.
    const int helpers = batch->work.size() >= 16 ? 2 : 0;
    try {
        for (int h = 0; h < helpers; ++h)
            batch->threads.emplace_back([b = batch.get()] { b->run(); });
    } catch (const std::system_error&) {
        // No thread to be had: the tasks are done on this thread when the batch is finished.
    }
    m_copies.push_back(std::move(batch));
    if (!m_deferCopies)
        finishCopies();
}

BookWriter::BookWriter(std::shared_ptr<PageSource> pageSource,
                                 std::shared_ptr<Template> bookTemplate, const QString& saveToFolder,
                                 const QString& toName)
    : m_template(std::move(bookTemplate)),
      m_pageSource(std::move(pageSource)),
      m_saveToFolder(saveToFolder),
      m_saveToFileName(toName)
{
}

// The copies in flight finish before the writer goes.
BookWriter::~BookWriter()
{
    for (const auto& batch : m_copies)
        for (std::thread& t : batch->threads)
            t.join();
}

void BookWriter::reportProgress()
{
    if (scratch::stopRequested()) {
        for (const auto& batch : m_copies)
            batch->cancelled = true;
        throw Error(ErrorKind::Cancelled, QStringLiteral("the publish was stopped"), m_saveToFolder);
    }
    if (!m_progress)
        return;
    const int total = m_pageSource ? int(m_pageSource->pages().size()) : 0;
    std::size_t tasks = 0, finished = 0;
    for (const auto& batch : m_copies) {
        tasks += batch->work.size();
        finished += batch->finished;
    }
    // Pages count as written as their files are copied; the documents come last.
    const int done = tasks == 0 ? (m_writeFolder.isEmpty() ? total : 0)
                                : int(qint64(total) * qint64(finished) / qint64(tasks + tasks / 8 + 1));
    if (!m_progress(done, total)) {
        for (const auto& batch : m_copies)
            batch->cancelled = true;
        throw Error(ErrorKind::Cancelled, QStringLiteral("the publish was cancelled"), m_saveToFolder);
    }
}

void BookWriter::finishCopies()
{
    // While the helpers copy, the progress is reported (and a cancel taken) now and then.
    for (bool busy = true; busy;) {
        busy = false;
        for (const auto& batch : m_copies) {
            if (batch->busy()) {
                batch->waitFor(std::chrono::milliseconds(25));
                busy = true;
                break;
            }
        }
        if (busy) {
            try {
                reportProgress();
            } catch (...) {
                for (const auto& batch : m_copies)
                    batch->join();
                m_copies.clear();
                throw;
            }
        }
    }
    std::vector<std::unique_ptr<CopyBatch>> batches = std::move(m_copies);
    m_copies.clear();
    for (const auto& batch : batches)
        batch->join();
    for (const auto& batch : batches) {
        if (batch->cancelled)
            continue;
        for (std::size_t i = 0; i < batch->work.size(); ++i) {
            const detail::CopyResult& r = batch->results[i];
            const CopyTask& t = batch->work[i];
            if (r.kind == detail::CopyResult::SourceMissing)
                warn(t.from.isEmpty() ? t.to : t.from, QStringLiteral("the file is missing"), true);
            else if (r.kind == detail::CopyResult::Failed)
                warn(t.to, QStringLiteral("cannot copy %1: %2").arg(t.from, r.problem), true);
        }
    }
}

bool BookWriter::copyFolder(const QString& from, const QString& to)
{
    if (!QFileInfo(from).isDir())
        return false;
    bool ok = QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (info.isDir())
            ok = QDir().mkpath(target) && ok;
        else if (!exists(target))
            ok = copyFile(path, target) && ok;
    }
    return ok;
}

void BookWriter::removePath(const QString& path)
{
    std::error_code ec;
    std::filesystem::remove_all(fsPath(path), ec);
}

} // namespace leafcraft
