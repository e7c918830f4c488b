#include "publish/FilePropertyCheck.h"

#include "platform/Platform.h"
#include "support/Error.h"
#include "templates/Template.h"
#include "templates/TemplateProperty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace leafcraft {

namespace {

// Whether the first bytes of a file are of the kind a file-name extension names. Unknown
// extensions match nothing: a filter names only kinds we can tell.
bool contentMatches(const QString& extension, const QByteArray& head) {
    const QString e = extension.toLower();
    if (e == QLatin1String("jpg") || e == QLatin1String("jpeg"))
        return head.startsWith("\xFF\xD8\xFF");
    if (e == QLatin1String("png"))
        return head.startsWith("\x89PNG\r\n\x1A\n");
    if (e == QLatin1String("gif"))
        return head.startsWith("GIF87a") || head.startsWith("GIF89a");
    if (e == QLatin1String("bmp"))
        return head.startsWith("BM") && head.size() >= 26;
    if (e == QLatin1String("mp3"))
        return head.startsWith("ID3") ||
               (head.size() >= 2 && uchar(head[0]) == 0xFF && (uchar(head[1]) & 0xE0) == 0xE0);
    if (e == QLatin1String("pdf"))
        return head.startsWith("%PDF-");
    if (e == QLatin1String("zip") || e == QLatin1String("epub"))
        return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
    if (e == QLatin1String("txt")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        // The head may end inside a character: only whole characters count.
        QByteArray whole = head;
        while (!whole.isEmpty() && (uchar(whole.back()) & 0xC0) == 0x80)
            whole.chop(1);
        if (!whole.isEmpty() && uchar(whole.back()) >= 0xC0)
            whole.chop(1);
        (void)utf8.decode(whole);
        return !head.contains('\0') && !utf8.hasError();
    }
    return false;
}

QStringList filterExtensions(const QString& valueSource) {
    QStringList out;
    const qsizetype bar = valueSource.lastIndexOf(QLatin1Char('|'));
    for (QString pattern : valueSource.mid(bar + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern.startsWith(QLatin1String("*.")))
            out << pattern.mid(2);
    }
    return out;
}

bool isUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

QString pathProblem(const QString& path) {
    for (const char* system : {"/etc", "/proc", "/sys", "/dev"})
        if (isUnder(path, QLatin1String(system)))
            return QStringLiteral("it lies in the system folder %1").arg(QLatin1String(system));
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part.startsWith(QLatin1Char('.')))
            return QStringLiteral("it lies in the hidden folder or file \"%1\"").arg(part);
    return QString();
}

void collect(const TemplateProperty& p, std::vector<OutsideFile>& out) {
    if (p.propertyType() == pt_file && !p.value().isEmpty())
        out.push_back({p.key(), p.value(), filePropertyProblem(p.valueSource(), p.value())});
    for (const auto& child : p.childProperties())
        collect(*child, out);
}

} // namespace

QString filePropertyProblem(const QString& valueSource, const QString& path) {
    const QFileInfo info(path);
    const QString given = QDir::cleanPath(info.absoluteFilePath());
    const QString real = info.canonicalFilePath();
    const QString resources = QFileInfo(Platform::current().resources().resourcesDir()).canonicalFilePath();
    if (real.isEmpty())
        return QStringLiteral("the file does not exist");
    if (resources.isEmpty() || !isUnder(real, resources)) {
        for (const QString& p : {given, real}) {
            const QString problem = pathProblem(p);
            if (!problem.isEmpty())
                return problem;
        }
    }
    if (!QFileInfo(real).isFile())
        return QStringLiteral("it is not a regular file");
    const QStringList extensions = filterExtensions(valueSource);
    if (extensions.isEmpty())
        return QString(); // no filter: any regular file
    QFile file(real);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read");
    const QByteArray head = file.read(4096);
    for (const QString& e : extensions)
        if (contentMatches(e, head))
            return QString();
    return QStringLiteral("its content is not one of the kinds the property takes (%1)")
        .arg(extensions.join(QStringLiteral(", ")));
}

std::vector<OutsideFile> outsideFiles(const Template& tmpl) {
    std::vector<OutsideFile> out;
    for (const auto& p : tmpl.properties())
        collect(*p, out);
    return out;
}

std::vector<SettingsFileProblem> settingsFileProblems(const Template& tmpl, const QString& settingsFile,
                                                      const QStringList& allowed) {
    const QString folder = QFileInfo(settingsFile).absoluteDir().canonicalPath();
    const QString resources = QFileInfo(Platform::current().resources().resourcesDir()).canonicalFilePath();
    QStringList consented;
    for (const QString& a : allowed)
        consented << QFileInfo(a).canonicalFilePath();
    std::vector<SettingsFileProblem> out;
    for (const Template::SettingsFileValue& v : tmpl.lastSettingsFileValues()) {
        const TemplateProperty* p = tmpl.findProperty(v.key);
        const QString valueSource = p ? p->valueSource() : QString();
        const QString real = QFileInfo(v.path).canonicalFilePath();
        const QStringList extensions = filterExtensions(valueSource);
        const QString extension = QFileInfo(v.path).suffix().toLower();
        QString reason;
        bool outsideOnly = false;
        if (!extensions.isEmpty() && !extensions.contains(extension, Qt::CaseInsensitive))
            reason = QStringLiteral("its name does not end in one of the extensions the property takes (%1)")
                         .arg(extensions.join(QStringLiteral(", ")));
        if (reason.isEmpty())
            reason = filePropertyProblem(valueSource, v.path);
        const bool exempt = isUnder(real, folder) || (!resources.isEmpty() && isUnder(real, resources))
            || consented.contains(real);
        if (reason.isEmpty() && !exempt) {
            reason = QStringLiteral("it lies outside the settings file's folder %1").arg(folder);
            outsideOnly = true;
        }
        if (!reason.isEmpty())
            out.push_back({{v.key, v.path, reason}, outsideOnly});
    }
    return out;
}

void checkFileProperties(const Template& tmpl) {
    for (const OutsideFile& f : outsideFiles(tmpl))
        if (!f.reason.isEmpty())
            throw Error(
                ErrorKind::BadInput,
                QStringLiteral("the file of property \"%1\" cannot go into a book: %2").arg(f.key, f.reason),
                f.path);
}

} // namespace leafcraft
