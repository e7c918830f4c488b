#include "publish/BookFingerprint.h"

#include "publish/BookStaging.h"

#include <QFile>
#include <QFileInfo>
#include <xxhash.h>

namespace leafcraft {

struct BookFingerprint::State {
    XXH3_state_t* hash = XXH3_createState();
    ~State() { XXH3_freeState(hash); }
};

BookFingerprint::BookFingerprint() : m_state(std::make_unique<State>())
{
    XXH3_128bits_reset(m_state->hash);
}

BookFingerprint::~BookFingerprint() = default;

void BookFingerprint::addBytes(const QByteArray& bytes)
{
    const quint64 size = quint64(bytes.size());
    XXH3_128bits_update(m_state->hash, &size, sizeof size);
    XXH3_128bits_update(m_state->hash, bytes.constData(), size_t(bytes.size()));
}

void BookFingerprint::addText(const QString& name, const QString& value)
{
    addBytes(name.toUtf8());
    addBytes(value.toUtf8());
}

void BookFingerprint::addFile(const QString& name, const QString& path)
{
    addBytes(name.toUtf8());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        addBytes(QByteArrayLiteral("unreadable"));
        return;
    }
    // The content hashed on its own first, so that its length need not be known in advance.
    XXH3_state_t* content = XXH3_createState();
    XXH3_128bits_reset(content);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(chunk.data(), chunk.size())) > 0)
        XXH3_128bits_update(content, chunk.constData(), size_t(got));
    const bool failed = got < 0;
    XXH128_canonical_t digest;
    XXH128_canonicalFromHash(&digest, XXH3_128bits_digest(content));
    XXH3_freeState(content);
    addBytes(failed ? QByteArrayLiteral("unreadable")
                    : QByteArray(reinterpret_cast<const char*>(digest.digest), sizeof digest.digest));
}

void BookFingerprint::addTree(const QString& name, const QString& folder)
{
    const QStringList files = BookStaging::listFiles(folder);
    addText(name, QString::number(files.size()));
    for (const QString& file : files)
        addFile(file, folder + QLatin1Char('/') + file);
}

QString BookFingerprint::hex() const
{
    XXH128_canonical_t digest;
    XXH128_canonicalFromHash(&digest, XXH3_128bits_digest(m_state->hash));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest.digest), sizeof digest.digest).toHex());
}

bool bookIsUpToDate(const QString& root, const QString& manifestPath, const QString& fingerprint)
{
    if (fingerprint.isEmpty() || BookStaging::readFingerprint(root, manifestPath) != fingerprint)
        return false;
    const QStringList files = BookStaging::readManifest(root, manifestPath);
    for (const QString& file : files) {
        const QFileInfo info(root + QLatin1Char('/') + file);
        if (!info.isFile() || info.isSymLink())
            return false;
    }
    return !files.isEmpty();
}

} // namespace leafcraft
