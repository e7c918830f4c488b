#include "publish/BookManifest.h"

#include "support/ParallelWork.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <xxhash.h>

namespace leafcraft {

namespace {

const QByteArray kVersionLine = QByteArrayLiteral("# leafcraft book manifest ");
const QByteArray kFileKeyword = QByteArrayLiteral("file");

bool isHexHash(const QByteArray& text) {
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// The size and hash of the open file `fd`, read to its end; false when a read fails.
bool hashOpenFile(int fd, qint64& size, QByteArray& hash) {
    XXH3_state_t* state = XXH3_createState();
    if (!state)
        return false;
    XXH3_128bits_reset(state);
    thread_local std::vector<char> buffer(1 << 18);
    size = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        XXH3_128bits_update(state, buffer.data(), size_t(n));
        size += n;
    }
    const XXH128_hash_t h = XXH3_128bits_digest(state);
    XXH3_freeState(state);
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, h);
    hash = QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest).toHex();
    return ok;
}

} // namespace

bool BookManifest::isInsidePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\n')) ||
        path.contains(QLatin1Char('\r')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString& p) {
        return p.isEmpty() || p == QLatin1String(".") || p == QLatin1String("..");
    });
}

BookManifest BookManifest::read(const QString& path) {
    BookManifest m;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return m;
    const QByteArray first = f.readLine().trimmed();
    if (!first.startsWith(kVersionLine))
        return m;
    bool number = false;
    const int version = first.mid(kVersionLine.size()).toInt(&number);
    if (!number || version < 1 || version > kVersion)
        return m;
    m.m_version = version;
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (version == 1) {
            const QString entry = QString::fromUtf8(line);
            if (isInsidePath(entry))
                m.m_files.push_back({entry, -1, {}});
            continue;
        }
        const qsizetype space = line.indexOf(' ');
        const QByteArray keyword = line.left(space);
        if (space <= 0)
            continue;
        if (keyword != kFileKeyword) {
            if (!keyword.startsWith('#'))
                m.m_headers.emplace_back(keyword, line.mid(space + 1));
            continue;
        }
        // file <size> <hash> <path>
        const qsizetype afterSize = line.indexOf(' ', space + 1);
        const qsizetype afterHash = afterSize < 0 ? -1 : line.indexOf(' ', afterSize + 1);
        if (afterHash < 0)
            continue;
        bool ok = false;
        const qint64 size = line.mid(space + 1, afterSize - space - 1).toLongLong(&ok);
        const QByteArray hash = line.mid(afterSize + 1, afterHash - afterSize - 1);
        const QString entry = QString::fromUtf8(line.mid(afterHash + 1));
        if (ok && size >= 0 && isHexHash(hash) && isInsidePath(entry))
            m.m_files.push_back({entry, size, hash});
    }
    return m;
}

bool BookManifest::write(const QString& path) const {
    QByteArray bytes = kVersionLine + QByteArray::number(kVersion) + '\n';
    for (const auto& [keyword, value] : m_headers)
        bytes += keyword + ' ' + value + '\n';
    for (const ManifestEntry& e : m_files) {
        if (e.hasContents() && isInsidePath(e.path))
            bytes +=
                kFileKeyword + ' ' + QByteArray::number(e.size) + ' ' + e.hash + ' ' + e.path.toUtf8() + '\n';
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return trySaveFile(path, bytes).isNull();
}

QStringList BookManifest::paths() const {
    QStringList out;
    out.reserve(qsizetype(m_files.size()));
    for (const ManifestEntry& e : m_files)
        out << e.path;
    return out;
}

QByteArray BookManifest::header(const QByteArray& keyword) const {
    for (const auto& [k, v] : m_headers)
        if (k == keyword)
            return v;
    return {};
}

void BookManifest::setHeader(const QByteArray& keyword, const QByteArray& value) {
    for (auto& [k, v] : m_headers)
        if (k == keyword) {
            v = value;
            return;
        }
    m_headers.emplace_back(keyword, value);
}

ManifestEntry BookManifest::describe(const QString& folder, const QString& relative) {
    ManifestEntry entry{relative, -1, {}};
    const int fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + relative).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return entry;
    struct stat st {};
    qint64 size = 0;
    QByteArray hash;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && hashOpenFile(fd, size, hash)) {
        entry.size = size;
        entry.hash = hash;
    }
    ::close(fd);
    return entry;
}

std::vector<ManifestEntry> BookManifest::describeAll(const QString& folder, const QStringList& relative) {
    std::vector<ManifestEntry> out(size_t(relative.size()));
    const int workers = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    detail::runInPageOrder(
        int(relative.size()), workers, [&](int, int i) { out[size_t(i)] = describe(folder, relative[i]); },
        [](int) {}, [] { return false; });
    return out;
}

bool BookManifest::holdsRecorded(const QString& path, const ManifestEntry& entry) {
    if (!entry.hasContents())
        return false;
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != entry.size)
        return false;
    const QFileInfo info(path);
    const ManifestEntry now = describe(info.path(), info.fileName());
    return now.size == entry.size && now.hash == entry.hash;
}

} // namespace leafcraft
