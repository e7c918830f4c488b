#include "templates/FlashTemplate.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Xml.h"
#include "support/FileUtility.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>
#include <optional>

namespace leafcraft {

namespace {

const QString kStyleResourcePrefix = QStringLiteral("STYLE_RESOURCE:");
const QString kTemplateDocument = QStringLiteral("flashTemplate.xml");
const QString kStyleSettings = QStringLiteral("tmplSetting.txt");
// Settings files are a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxSettingsFileSize = 16 * 1024 * 1024;

QString appFiles()
{
    return Platform::current().resources().appFilesDir();
}

// `base` joined with the relative path `component`: one separator between them, repeated
// separators collapsed; "." and ".." are kept as written.
QString appendingPathComponent(const QString& base, const QString& component)
{
    QString joined = base.isEmpty() ? component : base + QLatin1Char('/') + component;
    while (joined.contains(QLatin1String("//")))
        joined.replace(QLatin1String("//"), QLatin1String("/"));
    if (joined.size() > 1 && joined.endsWith(QLatin1Char('/')))
        joined.chop(1);
    return joined;
}

QString lastPathComponent(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The folders directly below `folder` that hold a file called `marker`, sorted. The deep
// listing also names nested folders (a style's images/, for example); they are not entries.
QStringList catalogueFolders(const QString& folder, const QString& marker)
{
    QStringList out;
    const QDir parent(folder);
    for (const QString& path : FileUtility::subFolderOfFolder(folder)) {
        if (parent.relativeFilePath(path).contains(QLatin1Char('/')))
            continue;
        if (QFileInfo(appendingPathComponent(path, marker)).isFile())
            out << path;
    }
    out.sort();
    return out;
}

// Removes a file, a symbolic link (not its target) or a whole folder.
void removePath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
}

bool pathExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Copies a file, or a folder with everything in it, to `dest` (which must not exist). Folders
// named in `skippedFolders` (directly under `source`) stay behind.
bool copyPath(const QString& source, const QString& dest, const QStringList& skippedFolders = {})
{
    const QFileInfo info(source);
    if (!info.isDir())
        return QFile::copy(source, dest);
    // List first, so that a destination inside the source is not copied into itself.
    QStringList entries;
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    const QDir sourceDir(source);
    bool ok = QDir().mkpath(dest);
    for (const QString& entry : entries) {
        const QFileInfo e(entry);
        const QString relative = sourceDir.relativeFilePath(entry);
        if (skippedFolders.contains(relative.section(QLatin1Char('/'), 0, 0)))
            continue;
        const QString target = dest + QLatin1Char('/') + relative;
        if (e.isDir() && !e.isSymLink())
            ok = QDir().mkpath(target) && ok;
        else if (e.isFile())
            ok = QFile::copy(entry, target) && ok;
    }
    return ok;
}

bool replaceWithCopy(const QString& source, const QString& dest, const QStringList& skippedFolders = {})
{
    if (pathExists(dest))
        removePath(dest);
    if (!QFileInfo::exists(source)) {
        LC_WARN(QStringLiteral("copy source does not exist: %1").arg(source));
        return false;
    }
    if (!copyPath(source, dest, skippedFolders)) {
        LC_WARN(QStringLiteral("cannot copy %1 to %2").arg(source, dest));
        return false;
    }
    return true;
}

// Finds the first property with `key` among `list` and their descendants, depth first in order.
FlashTemplateProperty* findIn(const FlashTemplateProperty::Children& list, const QString& key)
{
    for (const auto& p : list) {
        if (p->key() == key)
            return p.get();
        if (FlashTemplateProperty* found = findIn(p->childProperties(), key))
            return found;
    }
    return nullptr;
}

} // namespace

FlashTemplate::FlashTemplate()
    : iTmplName(QStringLiteral("float")), iTmplVersion(QStringLiteral("3.0.0")),
      iDefaultSytleName(QStringLiteral("Blank"))
{
    loadTemplate(QStringLiteral("float"));
    LC_DEBUG(QStringLiteral("self is:FlashTemplate %1 (%2 properties)").arg(iTmplName).arg(iProperties.size()));
}

FlashTemplate::~FlashTemplate() = default;

void FlashTemplate::warn(const QString& where, const QString& message)
{
    LC_WARN((where.isEmpty() ? QString() : where + QLatin1String(": ")) + message);
    m_warnings.add(where, message);
}

// ---------------------------------------------------------------- catalogue

QStringList FlashTemplate::tmplNames()
{
    return catalogueFolders(appFiles() + QLatin1String("/Templates"), kTemplateDocument);
}

QString FlashTemplate::tmplPathForName(const QString& name)
{
    return appFiles() + QLatin1String("/Templates/") + name + QLatin1Char('/');
}

QString FlashTemplate::tmplMetaPathForName(const QString& name)
{
    return tmplPathForName(name) + kTemplateDocument;
}

QStringList FlashTemplate::tmplStyleNamesForTmpl(const QString& tmplName)
{
    return catalogueFolders(appFiles() + QLatin1String("/Styles/") + tmplName, kStyleSettings);
}

QString FlashTemplate::stylePathFor(const QString& tmplName, const QString& styleName)
{
    return appFiles() + QLatin1String("/Styles/") + tmplName + QLatin1Char('/') + styleName;
}

// ---------------------------------------------------------------- loading

bool FlashTemplate::loadTemplate(const QString& name)
{
    iProperties.clear();
    iTmplName = name;
    m_warnings.clear();

    const QString path = tmplMetaPathForName(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(path, QStringLiteral("cannot read the template document of \"%1\"").arg(name));
        return false;
    }
    const QByteArray bytes = file.readAll();

    xml::Document doc;
    try {
        doc = xml::Document::parse(bytes, path);
    } catch (const Error& strict) {
        try {
            doc = xml::Document::parseRecovering(bytes, path);
            warn(path, strict.message() + QLatin1String(" (read with markup repair)"));
        } catch (const Error& e) {
            warn(path, e.message());
            LC_ERROR(QStringLiteral("cannot parse the template document: %1").arg(e.text()));
            return false;
        }
    }

    const xml::Element root = doc.root();
    const xml::Element info = root.firstChild(QStringLiteral("info"));
    const xml::Element properties = root.firstChild(QStringLiteral("properties"));
    if (!info) {
        warn(path, QStringLiteral("the template document has no <info> element"));
        return false;
    }
    static const std::array<QLatin1String, 5> infoNames = {
        QLatin1String("htmlPath"), QLatin1String("swfPath"), QLatin1String("defaultStyle"),
        QLatin1String("macAppFilesFolder"), QLatin1String("mobileTmplFilesPath")};
    std::array<QString, 5> infoValues;
    for (std::size_t i = 0; i < infoNames.size(); ++i) {
        const std::optional<QString> text = info.childText(infoNames[i]);
        if (!text) {
            warn(path, QStringLiteral("the template document's <info> has no <%1> element").arg(infoNames[i]));
            return false;
        }
        infoValues[i] = *text;
    }
    if (!properties) {
        warn(path, QStringLiteral("the template document has no <properties> element"));
        return false;
    }

    iHTMLFilePath = infoValues[0];
    iSWFFilePath = infoValues[1];
    iDefaultSytleName = infoValues[2];
    iMacAppFilesFolder = infoValues[3];
    iMobileTmplFilesPath = infoValues[4];

    for (const xml::Element& element : properties.children(QStringLiteral("property"))) {
        auto property = std::make_unique<FlashTemplateProperty>();
        if (!property->loadFromNode(element, &m_warnings, path))
            continue;
        property->setParent(nullptr);
        iProperties.push_back(std::move(property));
    }
    return true;
}

bool FlashTemplate::changeTmplTo(const QString& name, const QString& stylePath)
{
    const QString pageWidth = propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("960"));
    const QString pageHeight = propertyValueFor(QStringLiteral("pageHeight"), QStringLiteral("600"));
    const QString language = propertyValueFor(QStringLiteral("languageSetting"), QStringLiteral(""));
    const bool loaded = loadTemplate(name);
    loadStyleByStylePath(stylePath);
    setPropertyValue(QStringLiteral("pageWidth"), pageWidth);
    setPropertyValue(QStringLiteral("pageHeight"), pageHeight);
    setPropertyValue(QStringLiteral("languageSetting"), language);
    return loaded;
}

bool FlashTemplate::loadStyleByStylePath(const QString& stylePath)
{
    iStyleName = lastPathComponent(stylePath);
    return importPropertiesSettingsFrom(appendingPathComponent(stylePath, kStyleSettings));
}

// ---------------------------------------------------------------- values

FlashTemplateProperty* FlashTemplate::findProperty(const QString& key) const
{
    return findIn(iProperties, key);
}

QString FlashTemplate::propertyValueFor(const QString& key, const QString& defaultValue) const
{
    const FlashTemplateProperty* p = findProperty(key);
    return p && !p->value().isNull() ? p->value() : defaultValue;
}

bool FlashTemplate::setPropertyValue(const QString& key, const QString& value)
{
    FlashTemplateProperty* target = findProperty(key);
    if (!target)
        return false;
    if (target->propertyType() == pt_file) {
        if (target->parent())
            LC_DEBUG(QStringLiteral("key 3[%1=%2]").arg(key, value));
        target->setValue(valueAsFilePath(value));
    } else {
        target->setValue(value);
    }
    return true;
}

QString FlashTemplate::valueAsFilePath(const QString& value) const
{
    const qsizetype at = value.indexOf(kStyleResourcePrefix);
    if (at < 0)
        return value;
    const QString relative = value.mid(at + kStyleResourcePrefix.size());
    return appendingPathComponent(stylePathFor(iTmplName, iStyleName), relative);
}

QString FlashTemplate::tmplHTMLFilePath() const
{
    if (iHTMLFilePath.isEmpty())
        return QString();
    QString inTemplate = appendingPathComponent(tmplPathForName(iTmplName), iHTMLFilePath);
    inTemplate.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(inTemplate).isFile())
        return inTemplate;
    QString shared = appendingPathComponent(appFiles(), iHTMLFilePath);
    shared.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(shared).isFile())
        return shared;
    return QString();
}

// ---------------------------------------------------------------- player files

bool FlashTemplate::copyBookSWFToFile(const QString& dest) const
{
    return replaceWithCopy(appFiles() + QLatin1String("/TmplData/book.swf"), dest);
}

bool FlashTemplate::copyThemeToFile(const QString& dest) const
{
    return replaceWithCopy(tmplPathForName(iTmplName) + QLatin1String("Main.swf"), dest);
}

bool FlashTemplate::copyBookJSFile(const QString& dest) const
{
    return replaceWithCopy(tmplPathForName(iTmplName) + QLatin1String("swfobject.js"), dest);
}

bool FlashTemplate::copyElseSWFToFile(const QString& dest) const
{
    return replaceWithCopy(tmplPathForName(iTmplName) + QLatin1String("playerProductInstall.swf"), dest);
}

bool FlashTemplate::copyMobilePathToFile(const QString& dest, const QString& type) const
{
    // A src/ folder holds modules that the build bundles; only the bundles ship.
    return replaceWithCopy(appFiles() + QLatin1String("/TmplData/mobile/") + type, dest, {QStringLiteral("src")});
}

bool FlashTemplate::copyPlayerFilesToFolder(const QString& dest) const
{
    const QString source = appFiles() + QLatin1String("/TmplData/player");
    if (!QFileInfo(source).isDir()) {
        LC_WARN(QStringLiteral("the player folder does not exist: %1").arg(source));
        return false;
    }
    if (!QFileInfo(source + QLatin1String("/player.js")).isFile()) {
        LC_WARN(QStringLiteral("the book player is not built (%1/player.js is missing)").arg(source));
        return false;
    }
    // src/ holds the player's modules, which the build bundles into player.js.
    return replaceWithCopy(source, dest, {QStringLiteral("src")});
}

// ---------------------------------------------------------------- settings files

bool FlashTemplate::importPropertiesSettingsFrom(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        warn(path, info.exists() ? QStringLiteral("not a settings file: not a regular file; nothing was changed")
                                 : QStringLiteral("the settings file does not exist; nothing was changed"));
        return false;
    }
    if (info.size() > kMaxSettingsFileSize) {
        warn(path, QStringLiteral("not a settings file: it is too large; nothing was changed"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(path, QStringLiteral("cannot read the settings file: %1").arg(file.errorString()));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        warn(path, QStringLiteral("cannot read the settings file: %1").arg(file.errorString()));
        return false;
    }
    if (bytes.contains('\0')) {
        warn(path, QStringLiteral("not a settings file: it holds NUL bytes; nothing was changed"));
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        warn(path, QStringLiteral("not a settings file: it is not UTF-8 text; nothing was changed"));
        return false;
    }

    const QString pageWidth = propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("960"));
    const QString pageHeight = propertyValueFor(QStringLiteral("pageHeight"), QStringLiteral("600"));
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == QLatin1String("innerMainbgImgUrl"))
            LC_DEBUG(QStringLiteral("key 0[%1=%2]").arg(key, value));
        setPropertyValue(key, value);
    }
    setPropertyValue(QStringLiteral("pageWidth"), pageWidth);
    setPropertyValue(QStringLiteral("pageHeight"), pageHeight);
    return true;
}

void FlashTemplate::exportPropertiesSettingsToArray(QStringList& lines, const FlashTemplateProperty* property) const
{
    if (!property) {
        for (const auto& p : iProperties)
            exportPropertiesSettingsToArray(lines, p.get());
        return;
    }
    QString key = property->key();
    key.replace(QLatin1String("\n\r"), QLatin1String("|||"));
    lines << key + QLatin1Char('=') + property->value();
    for (const auto& child : property->childProperties())
        exportPropertiesSettingsToArray(lines, child.get());
}

bool FlashTemplate::exportPropertiesSettingsTo(const QString& path)
{
    QStringList lines;
    exportPropertiesSettingsToArray(lines, nullptr);
    QString text;
    for (const QString& line : lines)
        text += QLatin1String("\n\r") + line;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        warn(path, QStringLiteral("cannot write the settings file: %1").arg(file.errorString()));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        warn(path, QStringLiteral("cannot write the settings file: %1").arg(file.errorString()));
        return false;
    }
    return true;
}

} // namespace leafcraft
