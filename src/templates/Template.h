// The current template of the application: where templates and styles lie in the resources,
// the loading of a template's description document into its property tree, template and style
// switches, property values by key, the settings text files, and the copying of the
// template's player files into a book.
//
// Resource layout (<AppFiles> = Platform::current().resources().appFilesDir()):
//   Templates/<template>/flashTemplate.xml     the description document
//   Templates/<template>/{Main.swf, swfobject.js, playerProductInstall.swf, <htmlPath>}
//   Styles/<template>/<style>/tmplSetting.txt  the style's preset values (+ shot.jpg, resources)
//   TmplData/book.swf, TmplData/mobile/<Flip|Slide>, TmplData/player/
//
// Main thread only.
#pragma once

#include "support/Error.h"
#include "templates/TemplateProperty.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace leafcraft {

class Template {
public:
    using Properties = std::vector<std::unique_ptr<TemplateProperty>>;

    // The defaults, then loadTemplate("float"); no style is applied.
    Template();
    ~Template();
    Template(const Template&) = delete;
    Template& operator=(const Template&) = delete;

    // ---- The catalogue.

    // The template folders (full paths) under <AppFiles>/Templates/, sorted: only direct
    // sub-folders holding a flashTemplate.xml count. The last component is the template name.
    static QStringList templateNames();
    // <AppFiles>/Templates/<name>/ (ending in a separator).
    static QString templatePathForName(const QString& name);
    // <AppFiles>/Templates/<name>/flashTemplate.xml.
    static QString templateMetaPathForName(const QString& name);
    // The style folders (full paths) under <AppFiles>/Styles/<template>, sorted: only direct
    // sub-folders holding a tmplSetting.txt count. The last component is the style name.
    static QStringList styleNamesForTemplate(const QString& templateName);
    // <AppFiles>/Styles/<template>/<style>.
    static QString stylePathFor(const QString& templateName, const QString& styleName);

    // ---- Loading.

    // Replaces the property tree with the one of template `name`'s description document and
    // takes its information fields. Clears warnings() first. The template keeps no properties
    // (and its information fields their previous values) when the document is missing, cannot
    // be parsed, or lacks `info`, one of its five elements or `properties`; a malformed
    // `property` is skipped. Every such problem is a warning. Returns whether the document
    // was loaded.
    bool loadTemplate(const QString& name);
    // The part of loadTemplate after reading: builds the tree anew from the bytes of a template
    // document (warnings cleared first); `path` names it in warnings. The template's name is
    // left as it is.
    bool loadTemplateDocument(const QByteArray& bytes, const QString& path);
    // Loads template `name` and applies the style in `stylePath`, keeping the current
    // "pageWidth", "pageHeight" and "languageSetting" values. Returns loadTemplate's result.
    bool changeTemplateTo(const QString& name, const QString& stylePath);
    // Sets styleName() to the folder's last component, then imports <stylePath>/tmplSetting.txt.
    bool loadStyleByStylePath(const QString& stylePath);

    // ---- Values by key (the first property with the key in depth-first document order).

    // The property's value, or `defaultValue` when no property has the key (or its value is null).
    QString propertyValueFor(const QString& key, const QString& defaultValue) const;
    // Sets the value of the first property with the key; a pt_file property receives
    // valueAsFilePath(value). An unknown key changes nothing. Returns whether a property was set.
    bool setPropertyValue(const QString& key, const QString& value);
    // Resolves "STYLE_RESOURCE:<relative path>" (anything before the prefix is dropped) to the
    // file in the current style's folder; any other text is returned unchanged.
    QString valueAsFilePath(const QString& value) const;
    // The first property with the key, or nullptr (borrowed).
    TemplateProperty* findProperty(const QString& key) const;

    // The template's HTML page pattern: the template folder joined with HTMLFilePath(), then
    // <AppFiles> joined with it ("\" read as "/"); null when neither is a file.
    QString htmlTemplatePath() const;

    // ---- Player files. Each removes what exists at `dest` (a file or a whole folder), then
    // copies the source (a file or a folder with its contents). A missing source or a failed
    // copy is logged and otherwise ignored; the result says whether the copy was made.

    bool copyBookSWFToFile(const QString& dest) const;  // <AppFiles>/TmplData/book.swf
    bool copyThemeToFile(const QString& dest) const;    // the template's Main.swf
    bool copyBookJSFile(const QString& dest) const;     // the template's swfobject.js
    bool copyElseSWFToFile(const QString& dest) const;  // the template's playerProductInstall.swf
    // <AppFiles>/TmplData/mobile/<type> ("Flip" or "Slide").
    bool copyMobilePathToFile(const QString& dest, const QString& type) const;
    // <AppFiles>/TmplData/player/ (the HTML5 player) to the folder `dest`, replacing it. When the
    // player folder is missing nothing happens (`dest` is kept). On failure `problem` (when
    // given) says why.
    bool copyPlayerFilesToFolder(const QString& dest, QString* problem = nullptr) const;

    // ---- Settings files: UTF-8 lines "key=value" (a leading byte order mark skipped), split at
    // the first "=", untrimmed; "\r" removed, later entries win. A line break inside a value is
    // stored as "|||", so that what is exported is imported unchanged.

    // Applies the entries of a settings file through setPropertyValue, then puts "pageWidth"
    // and "pageHeight" back. Lines that have no "=" and are neither blank nor a comment
    // ("#..."), and keys no property has, are ignored and named in one warning each. A file that is missing, not a regular
    // file, too large, unreadable or not settings text (invalid UTF-8, XML or HTML, control
    // characters) changes nothing and adds a warning. Returns whether the file was applied.
    bool importPropertiesSettingsFrom(const QString& path);
    // The same for the bytes of a settings file; `path` names it in warnings, and a relative
    // file value is taken as a file beside it.
    bool applySettingsText(const QByteArray& bytes, const QString& path);
    // The values of file properties the last applied settings file gave, in file order, each
    // with the property's key and the file it names (an absolute path). Values that name the
    // style's own resources ("STYLE_RESOURCE:...") are not listed.
    struct SettingsFileValue {
        QString key;
        QString path;
    };
    const std::vector<SettingsFileValue>& lastSettingsFileValues() const { return m_settingsFileValues; }
    // Writes every property's entry, each preceded by "\n\r", atomically as UTF-8. A failure
    // leaves any existing file untouched, adds a warning and returns false.
    bool exportPropertiesSettingsTo(const QString& path);
    // Appends the entry of `property` and of all its descendants (depth-first) to `lines`; with
    // nullptr, of every top-level property in order. An entry is the key with every "\n\r"
    // replaced by "|||", "=", and the value with every line break ("\n\r", "\r\n", "\n",
    // "\r") replaced by "|||".
    void exportPropertiesSettingsToArray(QStringList& lines, const TemplateProperty* property) const;

    // ---- Fields.

    const QString& templateName() const { return m_templateName; }
    void setTemplateName(const QString& v) { m_templateName = v; }
    const Properties& properties() const { return m_properties; }
    void setProperties(Properties properties) { m_properties = std::move(properties); }
    const QString& templateVersion() const { return m_templateVersion; }
    void setTemplateVersion(const QString& v) { m_templateVersion = v; }
    const QString& templateFilePath() const { return m_templateFilePath; }
    void setTemplateFilePath(const QString& v) { m_templateFilePath = v; }
    const QString& swfFilePath() const { return m_swfFilePath; }
    void setSwfFilePath(const QString& v) { m_swfFilePath = v; }
    const QString& htmlFilePath() const { return m_htmlFilePath; }
    void setHtmlFilePath(const QString& v) { m_htmlFilePath = v; }
    bool needThumbs() const { return m_needThumbs; }
    void setNeedThumbs(bool v) { m_needThumbs = v; }
    const QString& mobileTemplateFilesPath() const { return m_mobileTemplateFilesPath; }
    void setMobileTemplateFilesPath(const QString& v) { m_mobileTemplateFilesPath = v; }
    const QString& appFilesFolder() const { return m_appFilesFolder; }
    void setAppFilesFolder(const QString& v) { m_appFilesFolder = v; }
    const QString& defaultStyleName() const { return m_defaultStyleName; }
    void setDefaultStyleName(const QString& v) { m_defaultStyleName = v; }
    const QString& styleName() const { return m_styleName; }
    void setStyleName(const QString& v) { m_styleName = v; }

    // The problems met since the last loadTemplate (skipped properties, parse errors, refused
    // settings files, failed exports).
    const Warnings& warnings() const { return m_warnings; }
    void clearWarnings() { m_warnings.clear(); }

private:
    void warn(const QString& where, const QString& message);

    QString m_templateName;
    Properties m_properties;
    QString m_templateVersion;
    QString m_templateFilePath;
    QString m_swfFilePath;
    QString m_htmlFilePath;
    bool m_needThumbs = true;
    QString m_mobileTemplateFilesPath;
    QString m_appFilesFolder;
    QString m_defaultStyleName;
    QString m_styleName;
    Warnings m_warnings;
    std::vector<SettingsFileValue> m_settingsFileValues;
};

} // namespace leafcraft
