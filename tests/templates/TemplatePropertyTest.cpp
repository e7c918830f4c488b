#include "platform/Xml.h"
#include "support/Error.h"
#include "templates/TemplateProperty.h"
#include "templates/StringUtil.h"
#include "templates/TemplateFixture.h"

#include <gtest/gtest.h>

using namespace leafcraft;
using leafcraft::test::propertyXml;

namespace {

struct TypeCase {
    const char* attributes; // written inside the <property> start tag
    int expected;
};

class PropertyTypeFromElement : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PropertyTypeFromElement, ReadsTypeAndATypeAttributes)
{
    const QByteArray text = QStringLiteral("<property %1><key>k</key><title>t</title><desc>d</desc><value>v</value>"
                                           "<valueSource/><defaultValue/></property>")
                                .arg(QLatin1String(GetParam().attributes))
                                .toUtf8();
    xml::Document doc = xml::Document::parse(text);
    TemplateProperty p;
    ASSERT_TRUE(p.loadFromNode(doc.root()));
    EXPECT_EQ(p.propertyType(), GetParam().expected) << GetParam().attributes;
}

INSTANTIATE_TEST_SUITE_P(
    Types, PropertyTypeFromElement,
    ::testing::Values(TypeCase{"type=\"pt_bool\"", pt_bool}, TypeCase{"type=\"pt_text\" aType=\"\"", pt_bool},
                      TypeCase{"type=\"pt_file\" aType=\"x\"", pt_bool}, TypeCase{"aType=\"1\"", pt_bool},
                      TypeCase{"type=\"PT_FILE\"", pt_text}, TypeCase{"", pt_text},
                      TypeCase{"type=\"pt_file\"", pt_file}, TypeCase{"type=\"pt_color\"", pt_color},
                      TypeCase{"type=\" pt_list\"", pt_text}, TypeCase{"type=\"pt_form_contactabout\"", 9}));

TEST(TemplateProperty, LoadsTextsWholeAndFirstOfRepeatedElements)
{
    const QByteArray text = "<property type=\"pt_text\">"
                            "<key>first</key><key>second</key>"
                            "<title> Spaced title </title><desc><![CDATA[<b>bold</b> & more]]></desc>"
                            "<value>\n    line one\n    line two\n</value>"
                            "<valueSource>a,b,c</valueSource><defaultValue/>"
                            "<aTitle>Tick</aTitle><aTitle>ignored</aTitle></property>";
    xml::Document doc = xml::Document::parse(text);
    TemplateProperty p;
    ASSERT_TRUE(p.loadFromNode(doc.root()));
    EXPECT_EQ(p.key(), QStringLiteral("first"));
    EXPECT_EQ(p.title(), QStringLiteral(" Spaced title "));
    EXPECT_EQ(p.desc(), QStringLiteral("<b>bold</b> & more"));
    EXPECT_EQ(p.value(), QStringLiteral("\n    line one\n    line two\n"));
    EXPECT_EQ(p.valueSource(), QStringLiteral("a,b,c"));
    EXPECT_EQ(p.defaultValue(), QStringLiteral(""));
    EXPECT_FALSE(p.defaultValue().isNull());
    EXPECT_EQ(p.aTitle(), QStringLiteral("Tick"));

    // Without an aTitle element the label is "", not null.
    xml::Document plain = xml::Document::parse(propertyXml(QStringLiteral("k"), QString()).toUtf8());
    TemplateProperty q;
    ASSERT_TRUE(q.loadFromNode(plain.root()));
    EXPECT_FALSE(q.aTitle().isNull());
    EXPECT_TRUE(q.aTitle().isEmpty());
    EXPECT_FALSE(q.value().isNull()) << "an empty value element gives \"\"";
}

TEST(TemplateProperty, MalformedElementsAreRefusedOrSkippedWithWarnings)
{
    // Null or wrongly named elements change nothing and are not worth a warning.
    Warnings warnings;
    TemplateProperty p;
    EXPECT_FALSE(p.loadFromNode(xml::Element(), &warnings));
    xml::Document other = xml::Document::parse("<prop><key>k</key></prop>");
    EXPECT_FALSE(p.loadFromNode(other.root(), &warnings));
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(p.title(), QStringLiteral("Empty"));

    for (const char* missing : {"key", "title", "desc", "value", "valueSource", "defaultValue"}) {
        xml::Document doc = xml::Document::parse(propertyXml(QStringLiteral("k"), QStringLiteral("v")).toUtf8());
        doc.root().firstChild(QLatin1String(missing)).remove();
        Warnings w;
        TemplateProperty q;
        EXPECT_FALSE(q.loadFromNode(doc.root(), &w, QStringLiteral("t.xml"))) << missing;
        ASSERT_EQ(w.size(), 1u) << missing;
        EXPECT_EQ(w.list()[0].where, QStringLiteral("t.xml"));
        EXPECT_TRUE(w.list()[0].message.contains(QLatin1String(missing))) << w.list()[0].message.toStdString();
        EXPECT_TRUE(q.key().isNull());
    }

    // A malformed child is skipped; its siblings load.
    const QString bad = QStringLiteral("<property><key>bad</key></property>");
    const QString good = propertyXml(QStringLiteral("good"), QStringLiteral("1"));
    const QString top = propertyXml(QStringLiteral("top"), QString(), QStringLiteral("pt_text"),
                                    QStringLiteral("<childProperties>%1%2</childProperties>").arg(bad, good));
    xml::Document doc = xml::Document::parse(top.toUtf8());
    Warnings w;
    TemplateProperty q;
    EXPECT_TRUE(q.loadFromNode(doc.root(), &w));
    ASSERT_EQ(q.childCount(), 1);
    EXPECT_EQ(q.childProperties()[0]->key(), QStringLiteral("good"));
    ASSERT_EQ(w.size(), 1u);
    EXPECT_TRUE(w.list()[0].message.contains(QLatin1String("\"bad\"")));
}

} // namespace
