#include "app/AppSettings.h"

#include "platform/Platform.h"

#include <QVariant>
#include <limits>
#include <optional>

namespace leafcraft {

namespace {

constexpr std::int32_t kStartPageWidth = 1080;
constexpr std::int32_t kStartPageHeight = 1440;

// An integer setting's stored value, when the store holds a whole number that fits 32 bits
// (a store read back from disk may give the number as text).
std::optional<std::int32_t> storedInteger(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(n);
}

} // namespace

// The declared settings in order: the single list that loading and saving walk.
struct AppSettingsFields {
    enum class Kind { Text, Integer };
    struct Field {
        const char* key;
        Kind kind;
        QString AppSettings::*text;
        std::int32_t AppSettings::*integer;
        std::atomic<std::int32_t> AppSettings::*atomicInteger;
    };
    static const Field* begin() { return fields; }
    static const Field* end() { return fields + sizeof fields / sizeof fields[0]; }

    static constexpr Field text(const char* key, QString AppSettings::*member)
    {
        return {key, Kind::Text, member, nullptr, nullptr};
    }
    static constexpr Field integer(const char* key, std::int32_t AppSettings::*member)
    {
        return {key, Kind::Integer, nullptr, member, nullptr};
    }
    static constexpr Field atomic(const char* key, std::atomic<std::int32_t> AppSettings::*member)
    {
        return {key, Kind::Integer, nullptr, nullptr, member};
    }

    static std::int32_t intValue(const AppSettings& s, const Field& f)
    {
        return f.integer ? s.*f.integer : (s.*f.atomicInteger).load(std::memory_order_relaxed);
    }
    static void setIntValue(AppSettings& s, const Field& f, std::int32_t v)
    {
        if (f.integer)
            s.*f.integer = v;
        else
            (s.*f.atomicInteger).store(v, std::memory_order_relaxed);
    }

    static const Field fields[17];
};

const AppSettingsFields::Field AppSettingsFields::fields[17] = {
    text("lastImportedFile", &AppSettings::m_lastImportedFile),
    integer("importPageRangeType", &AppSettings::m_importPageRangeType),
    text("importPageRange", &AppSettings::m_importPageRange),
    integer("importQualityLevel", &AppSettings::m_importQualityLevel),
    text("lastOutputFileFolder", &AppSettings::m_lastOutputFileFolder),
    text("lastOutputFileName", &AppSettings::m_lastOutputFileName),
    text("lastOutputFileTitle", &AppSettings::m_lastOutputFileTitle),
    integer("OutputCreateMobile", &AppSettings::m_outputCreateMobile),
    integer("MobileType", &AppSettings::m_mobileType),
    integer("outputType", &AppSettings::m_outputType),
    integer("importBookmark", &AppSettings::m_importBookmark),
    integer("importLinks", &AppSettings::m_importLinks),
    integer("ImportType", &AppSettings::m_importType),
    integer("importZoomPictures", &AppSettings::m_importZoomPictures),
    integer("importAllowText", &AppSettings::m_importAllowText),
    atomic("PageWidth", &AppSettings::m_pageWidth),
    atomic("PageHeight", &AppSettings::m_pageHeight),
};

AppSettings& AppSettings::instance()
{
    // A function-local static is created exactly once even when the main thread and the
    // import worker ask at the same time; it is deliberately never destroyed.
    static AppSettings* instance = new AppSettings();
    return *instance;
}

namespace {

BookSettings& sharedAppSettings()
{
    return AppSettings::instance();
}

// Import and publish code reaches the application's settings through BookSettings::shared().
const bool kSharedProviderInstalled = (BookSettings::setSharedProvider(&sharedAppSettings), true);

} // namespace

AppSettings::AppSettings() : m_usePlatformStore(true)
{
    init();
}

AppSettings::AppSettings(PreferenceStore* store) : m_store(store)
{
    init();
}

void AppSettings::init()
{
    loadSettings();
    for (QString* text : {&m_lastImportedFile, &m_importPageRange, &m_lastOutputFileFolder, &m_lastOutputFileName,
                          &m_lastOutputFileTitle}) {
        if (text->isNull())
            *text = QStringLiteral("");
    }
    // The page size starts the same at every start, whatever an earlier run stored.
    setPageWidth(kStartPageWidth);
    setPageHeight(kStartPageHeight);
}

PreferenceStore* AppSettings::store() const
{
    return m_usePlatformStore ? &Platform::current().preferences() : m_store;
}

QStringList AppSettings::settingKeys()
{
    QStringList keys;
    for (const auto* f = AppSettingsFields::begin(); f != AppSettingsFields::end(); ++f)
        keys.append(QLatin1String(f->key));
    return keys;
}

void AppSettings::loadSettings()
{
    PreferenceStore* prefs = store();
    if (!prefs)
        return;
    for (const auto* f = AppSettingsFields::begin(); f != AppSettingsFields::end(); ++f) {
        const QVariant stored = prefs->value(QLatin1String(f->key));
        if (f->kind == AppSettingsFields::Kind::Text) {
            // No stored text (or one that is not text) leaves the setting null.
            this->*f->text = stored.isValid() && stored.canConvert<QString>() ? stored.toString() : QString();
        } else if (const std::optional<std::int32_t> n = storedInteger(stored)) {
            AppSettingsFields::setIntValue(*this, *f, *n);
        }
    }
}

void AppSettings::saveSettings()
{
    PreferenceStore* prefs = store();
    if (!prefs)
        return;
    for (const auto* f = AppSettingsFields::begin(); f != AppSettingsFields::end(); ++f) {
        const QString key = QLatin1String(f->key);
        if (f->kind == AppSettingsFields::Kind::Text) {
            const QString& text = this->*f->text;
            if (text.isNull())
                prefs->remove(key);
            else
                prefs->setValue(key, text);
        } else {
            prefs->setValue(key, int(AppSettingsFields::intValue(*this, *f)));
        }
    }
    prefs->sync();
}

} // namespace leafcraft
