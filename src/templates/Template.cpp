#include "templates/Template.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/Xml.h"
#include "support/FileUtility.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
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
    for (const QString& path : FileUtility::subfolders(folder)) {
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

// Copies the file `source` to the new file `dest`; on failure `problem` (when given and still
// empty) says why.
bool copyOneFile(const QString& source, const QString& dest, QString* problem)
{
    const QString why = tryCopyFile(source, dest, {.createOnly = true});
    if (why.isNull())
        return true;
    if (problem && problem->isEmpty())
        *problem = why;
    return false;
}

// Copies a file, or a folder with everything in it, to `dest` (which must not exist). Folders
// named in `skippedFolders` (directly under `source`) stay behind.
bool copyPath(const QString& source, const QString& dest, const QStringList& skippedFolders = {},
              QString* problem = nullptr)
{
    const QFileInfo info(source);
    if (!info.isDir())
        return copyOneFile(source, dest, problem);
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
            ok = copyOneFile(entry, target, problem) && ok;
    }
    return ok;
}

bool replaceWithCopy(const QString& source, const QString& dest, const QStringList& skippedFolders = {},
                     QString* problem = nullptr)
{
    if (pathExists(dest))
        removePath(dest);
    if (!QFileInfo::exists(source)) {
        LC_WARN(QStringLiteral("copy source does not exist: %1").arg(source));
        return false;
    }
    if (!copyPath(source, dest, skippedFolders, problem)) {
        LC_WARN(QStringLiteral("cannot copy %1 to %2").arg(source, dest));
        return false;
    }
    return true;
}

// Finds the first property with `key` among `list` and their descendants, depth first in order.
TemplateProperty* findIn(const TemplateProperty::Children& list, const QString& key)
{
    for (const auto& p : list) {
        if (p->key() == key)
            return p.get();
        if (TemplateProperty* found = findIn(p->childProperties(), key))
            return found;
    }
    return nullptr;
}

} // namespace

Template::Template()
    : m_templateName(QStringLiteral("float")), m_templateVersion(QStringLiteral("3.0.0")),
      m_defaultStyleName(QStringLiteral("Blank"))
{
    loadTemplate(QStringLiteral("float"));
    LC_DEBUG(QStringLiteral("self is:Template %1 (%2 properties)").arg(m_templateName).arg(m_properties.size()));
}

Template::~Template() = default;

void Template::warn(const QString& where, const QString& message)
{
    LC_WARN((where.isEmpty() ? QString() : where + QLatin1String(": ")) + message);
    m_warnings.add(where, message);
}

// ---------------------------------------------------------------- catalogue

QStringList Template::templateNames()
{
    return catalogueFolders(appFiles() + QLatin1String("/Templates"), kTemplateDocument);
}

QString Template::templatePathForName(const QString& name)
{
    return appFiles() + QLatin1String("/Templates/") + name + QLatin1Char('/');
}

QString Template::templateMetaPathForName(const QString& name)
{
    return templatePathForName(name) + kTemplateDocument;
}

QStringList Template::styleNamesForTemplate(const QString& templateName)
{
    return catalogueFolders(appFiles() + QLatin1String("/Styles/") + templateName, kStyleSettings);
}

QString Template::stylePathFor(const QString& templateName, const QString& styleName)
{
    return appFiles() + QLatin1String("/Styles/") + templateName + QLatin1Char('/') + styleName;
}

// ---------------------------------------------------------------- loading

bool Template::loadTemplate(const QString& name)
{
    m_properties.clear();
    m_templateName = name;
    m_warnings.clear();

    const QString path = templateMetaPathForName(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(path, QStringLiteral("cannot read the template document of \"%1\"").arg(name));
        return false;
    }
    return loadTemplateDocument(file.readAll(), path);
}

bool Template::loadTemplateDocument(const QByteArray& bytes, const QString& path)
{
    m_properties.clear();
    m_warnings.clear();
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

    m_htmlFilePath = infoValues[0];
    m_swfFilePath = infoValues[1];
    m_defaultStyleName = infoValues[2];
    m_appFilesFolder = infoValues[3];
    m_mobileTemplateFilesPath = infoValues[4];

    for (const xml::Element& element : properties.children(QStringLiteral("property"))) {
        auto property = std::make_unique<TemplateProperty>();
        if (!property->loadFromNode(element, &m_warnings, path))
            continue;
        property->setParent(nullptr);
        m_properties.push_back(std::move(property));
    }
    return true;
}

bool Template::changeTemplateTo(const QString& name, const QString& stylePath)
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

bool Template::loadStyleByStylePath(const QString& stylePath)
{
    m_styleName = lastPathComponent(stylePath);
    return importPropertiesSettingsFrom(appendingPathComponent(stylePath, kStyleSettings));
}

// ---------------------------------------------------------------- values

TemplateProperty* Template::findProperty(const QString& key) const
{
    return findIn(m_properties, key);
}

QString Template::propertyValueFor(const QString& key, const QString& defaultValue) const
{
    const TemplateProperty* p = findProperty(key);
    return p && !p->value().isNull() ? p->value() : defaultValue;
}

bool Template::setPropertyValue(const QString& key, const QString& value)
{
    TemplateProperty* target = findProperty(key);
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

QString Template::valueAsFilePath(const QString& value) const
{
    const qsizetype at = value.indexOf(kStyleResourcePrefix);
    if (at < 0)
        return value;
    const QString relative = value.mid(at + kStyleResourcePrefix.size());
    return appendingPathComponent(stylePathFor(m_templateName, m_styleName), relative);
}

QString Template::htmlTemplatePath() const
{
    if (m_htmlFilePath.isEmpty())
        return QString();
    QString inTemplate = appendingPathComponent(templatePathForName(m_templateName), m_htmlFilePath);
    inTemplate.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(inTemplate).isFile())
        return inTemplate;
    QString shared = appendingPathComponent(appFiles(), m_htmlFilePath);
    shared.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(shared).isFile())
        return shared;
    return QString();
}

// ---------------------------------------------------------------- player files

bool Template::copyBookSWFToFile(const QString& dest) const
{
    return replaceWithCopy(appFiles() + QLatin1String("/TmplData/book.swf"), dest);
}

bool Template::copyThemeToFile(const QString& dest) const
{
    return replaceWithCopy(templatePathForName(m_templateName) + QLatin1String("Main.swf"), dest);
}

bool Template::copyBookJSFile(const QString& dest) const
{
    return replaceWithCopy(templatePathForName(m_templateName) + QLatin1String("swfobject.js"), dest);
}

bool Template::copyElseSWFToFile(const QString& dest) const
{
    return replaceWithCopy(templatePathForName(m_templateName) + QLatin1String("playerProductInstall.swf"), dest);
}

bool Template::copyMobilePathToFile(const QString& dest, const QString& type) const
{
    // A src/ folder holds modules that the build bundles; only the bundles ship.
    return replaceWithCopy(appFiles() + QLatin1String("/TmplData/mobile/") + type, dest, {QStringLiteral("src")});
}

bool Template::copyPlayerFilesToFolder(const QString& dest, QString* problem) const
{
    const QString source = appFiles() + QLatin1String("/TmplData/player");
    QString why;
    if (!QFileInfo(source + QLatin1String("/player.js")).isFile())
        why = QStringLiteral("the program's book player is missing (%1/player.js; is the program fully built?)")
                  .arg(source);
    // src/ holds the player's modules, which the build bundles into player.js.
    else if (replaceWithCopy(source, dest, {QStringLiteral("src")}, &why))
        return true;
    if (why.isEmpty())
        why = QStringLiteral("cannot make the folder %1").arg(dest);
    LC_WARN(why);
    if (problem)
        *problem = why;
    return false;
}

// ---------------------------------------------------------------- settings files

namespace {

// Why `text` is not a settings file but something else (XML or HTML, binary data), or a null
// string.
QString notSettingsText(const QString& text)
{
    if (text.trimmed().startsWith(QLatin1Char('<')))
        return QStringLiteral("it is XML or HTML, not lines of key=value");
    for (const QChar c : text)
        if ((c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t') || c.unicode() == 0x7f)
            return QStringLiteral("it holds control characters (binary data)");
    return QString();
}

// The first few of `items` joined, with how many more there are.
QString listHead(const QStringList& items)
{
    constexpr qsizetype kShown = 8;
    QString head = items.mid(0, kShown).join(QStringLiteral(", "));
    if (items.size() > kShown)
        head += QStringLiteral(" and %1 more").arg(items.size() - kShown);
    return head;
}

} // namespace

bool Template::importPropertiesSettingsFrom(const QString& path)
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
    return applySettingsText(bytes, path);
}

bool Template::applySettingsText(const QByteArray& bytes, const QString& path)
{
    if (bytes.contains('\0')) {
        warn(path, QStringLiteral("not a settings file: it holds NUL bytes; nothing was changed"));
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        warn(path, QStringLiteral("not a settings file: it is not UTF-8 text; nothing was changed"));
        return false;
    }
    if (text.startsWith(QChar(0xfeff))) // a byte order mark some editors write
        text.remove(0, 1);
    const QString refused = notSettingsText(text);
    if (!refused.isNull()) {
        warn(path, QStringLiteral("not a settings file: %1; nothing was changed").arg(refused));
        return false;
    }

    m_settingsFileValues.clear();
    const QDir folder = QFileInfo(path).absoluteDir();
    const QString pageWidth = propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("960"));
    const QString pageHeight = propertyValueFor(QStringLiteral("pageHeight"), QStringLiteral("600"));
    QStringList malformed, unknown;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        line.remove(QLatin1Char('\r'));
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
                malformed << QString::number(n + 1);
            continue;
        }
        const QString key = line.left(eq);
        QString value = line.mid(eq + 1);
        value.replace(QLatin1String("|||"), QLatin1String("\n"));
        const TemplateProperty* target = findProperty(key);
        if (target && target->propertyType() == pt_file && !value.isEmpty() && !value.contains(kStyleResourcePrefix)) {
            value = QDir::cleanPath(folder.absoluteFilePath(value));
            m_settingsFileValues.push_back({key, value});
        }
        if (key == QLatin1String("innerMainbgImgUrl"))
            LC_DEBUG(QStringLiteral("key 0[%1=%2]").arg(key, value));
        if (!setPropertyValue(key, value))
            unknown << QLatin1Char('"') + key + QLatin1Char('"');
    }
    if (!malformed.isEmpty())
        warn(path, QStringLiteral("%1 not key=value and ignored: line %2")
                       .arg(malformed.size() == 1 ? QStringLiteral("a line is") : QStringLiteral("%1 lines are").arg(malformed.size()),
                            listHead(malformed)));
    if (!unknown.isEmpty())
        warn(path, QStringLiteral("the template has no property %1; ignored").arg(listHead(unknown)));
    setPropertyValue(QStringLiteral("pageWidth"), pageWidth);
    setPropertyValue(QStringLiteral("pageHeight"), pageHeight);
    return true;
}

void Template::exportPropertiesSettingsToArray(QStringList& lines, const TemplateProperty* property) const
{
    if (!property) {
        for (const auto& p : m_properties)
            exportPropertiesSettingsToArray(lines, p.get());
        return;
    }
    QString key = property->key();
    key.replace(QLatin1String("\n\r"), QLatin1String("|||"));
    QString value = property->value();
    for (const char* lineBreak : {"\n\r", "\r\n", "\n", "\r"})
        value.replace(QLatin1String(lineBreak), QLatin1String("|||"));
    lines << key + QLatin1Char('=') + value;
    for (const auto& child : property->childProperties())
        exportPropertiesSettingsToArray(lines, child.get());
}

bool Template::exportPropertiesSettingsTo(const QString& path)
{
    QStringList lines;
    exportPropertiesSettingsToArray(lines, nullptr);
    QString text;
    for (const QString& line : lines)
        text += QLatin1String("\n\r") + line;

    const QString problem = trySaveFile(path, text.toUtf8(), {.sync = true});
    if (!problem.isNull()) {
        warn(path, QStringLiteral("cannot write the settings file: %1").arg(problem));
        return false;
    }
    return true;
}

} // namespace leafcraft
