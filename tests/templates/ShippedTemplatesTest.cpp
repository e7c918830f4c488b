// The templates shipped in the source tree's resources load cleanly and define the values
// every book needs.
#include "fakes/FakePlatform.h"
#include "templates/Template.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class ShippedTemplate : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedTemplate, LoadsWithoutWarningsAndDefinesTitleAndLanguage)
{
    test::FakePlatform platform; // resources = the source tree's resources/
    const QString name = QLatin1String(GetParam());
    if (!QFileInfo::exists(Template::templateMetaPathForName(name)))
        GTEST_SKIP() << "template " << GetParam() << " is not in the resources";

    Template tmpl;
    ASSERT_TRUE(tmpl.loadTemplate(name));
    EXPECT_TRUE(tmpl.warnings().isEmpty()) << tmpl.warnings().texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(tmpl.properties().empty());
    for (const char* key : {"Title", "languageSetting"})
        EXPECT_NE(tmpl.findProperty(QLatin1String(key)), nullptr) << GetParam() << " lacks " << key;
    EXPECT_TRUE(Template::templateNames().contains(Template::templatePathForName(name).chopped(1)));

    // Each of its styles applies without a warning.
    for (const QString& style : Template::styleNamesForTemplate(name)) {
        tmpl.clearWarnings();
        EXPECT_TRUE(tmpl.changeTemplateTo(name, style)) << style.toStdString();
        EXPECT_TRUE(tmpl.warnings().isEmpty()) << tmpl.warnings().texts().join(QLatin1Char('\n')).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, ShippedTemplate, ::testing::Values("float", "Panoramic", "Linen"));

} // namespace
