#include "app/AppSettings.h"

#include "fakes/FakePlatform.h"

#include <QMetaType>
#include <gtest/gtest.h>
#include <thread>

namespace leafcraft {
namespace {

using test::FakePlatform;

const QStringList kTextKeys = {QStringLiteral("lastImportedFile"), QStringLiteral("importPageRange"),
                               QStringLiteral("lastOutputFileFolder"), QStringLiteral("lastOutputFileName"),
                               QStringLiteral("lastOutputFileTitle")};

TEST(AppSettingsTest, SaveStoresTextsAsStringsAndIntegersAsNumbers)
{
    FakePlatform platform;
    AppSettings s;
    s.setLastImportedFile(QStringLiteral("/books/report.pdf"));
    s.setImportPageRange(QStringLiteral("1-3,7"));
    s.setImportQualityLevel(2);
    s.setLastOutputFileTitle(QStringLiteral("Rapport \u00E9t\u00E9"));
    s.setMobileType(1);
    s.setPageWidth(800);
    s.setImportZoomPictures(1);
    s.saveSettings();
    EXPECT_EQ(platform.prefs.syncCount, 1);
    EXPECT_EQ(platform.prefs.m_values.size(), 17);
    for (const QString& key : AppSettings::settingKeys()) {
        const QVariant v = platform.prefs.value(key);
        const bool isText = kTextKeys.contains(key);
        EXPECT_EQ(v.typeId(), isText ? QMetaType::QString : QMetaType::Int) << key.toStdString();
    }
    EXPECT_EQ(platform.prefs.value(QStringLiteral("importQualityLevel")), QVariant(2));
    EXPECT_EQ(platform.prefs.value(QStringLiteral("lastOutputFileTitle")), QVariant(QStringLiteral("Rapport \u00E9t\u00E9")));
    EXPECT_EQ(platform.prefs.value(QStringLiteral("PageWidth")), QVariant(800));

    // The next start reads them back, except the page size, which always starts at 1080 x 1440.
    AppSettings next;
    EXPECT_EQ(next.lastImportedFile(), QStringLiteral("/books/report.pdf"));
    EXPECT_EQ(next.importPageRange(), QStringLiteral("1-3,7"));
    EXPECT_EQ(next.importQualityLevel(), 2);
    EXPECT_EQ(next.mobileType(), 1);
    EXPECT_EQ(next.importZoomPictures(), 1);
    EXPECT_EQ(next.importAllowText(), 0);
    EXPECT_EQ(next.pageWidth(), 1080);
}

struct StoredCase {
    const char* label;
    const char* key;
    QVariant stored;
    int expected;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.label;
}

class AppSettingsStoredIntegers : public ::testing::TestWithParam<StoredCase> {};

// A value that cannot be an integer is skipped: that setting keeps 0, the others still load.
TEST_P(AppSettingsStoredIntegers, LoadOrKeepZero)
{
    const StoredCase& c = GetParam();
    FakePlatform platform;
    platform.prefs.setValue(QStringLiteral("outputType"), 3);
    platform.prefs.setValue(QStringLiteral("lastOutputFileName"), QStringLiteral("report"));
    if (c.stored.isValid())
        platform.prefs.setValue(QLatin1String(c.key), c.stored);
    AppSettings s;
    const int values[] = {s.importPageRangeType(), s.importQualityLevel(), s.importLinks(), s.pageWidth(),
                          s.importType()};
    const char* keys[] = {"importPageRangeType", "importQualityLevel", "importLinks", "PageWidth", "ImportType"};
    for (int i = 0; i < 5; ++i) {
        if (std::string(keys[i]) == c.key) {
            EXPECT_EQ(values[i], c.expected);
        }
    }
    EXPECT_EQ(s.outputType(), 3);
    EXPECT_EQ(s.lastOutputFileName(), QStringLiteral("report"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, AppSettingsStoredIntegers,
    ::testing::Values(StoredCase{"number", "importQualityLevel", QVariant(2), 2},
                      StoredCase{"number_as_text_from_disk", "importQualityLevel", QVariant(QStringLiteral("2")), 2},
                      StoredCase{"negative", "importPageRangeType", QVariant(-1), -1},
                      StoredCase{"missing", "importLinks", QVariant(), 0},
                      StoredCase{"not_a_number", "importLinks", QVariant(QStringLiteral("yes")), 0},
                      StoredCase{"beyond_32_bits", "importQualityLevel", QVariant(qlonglong(1) << 40), 0},
                      StoredCase{"stored_page_width_ignored", "PageWidth", QVariant(800), 1080},
                      // New users get drawn (SVG) pages; a remembered SWF choice stays.
                      StoredCase{"new_user_draws_pages", "ImportType", QVariant(), 2},
                      StoredCase{"remembered_swf_kept", "ImportType", QVariant(0), 0}),
    [](const ::testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace leafcraft
