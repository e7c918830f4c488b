#include "platform/NotificationCenter.h"
#include "platform/Xml.h"
#include "support/Error.h"

#include <gtest/gtest.h>
#include <thread>

using namespace leafcraft;

TEST(Xml, KeepsWhitespaceAndCDataAndRefusesExternalEntities)
{
    const QByteArray text = "<r><v>\n  two\n  lines </v><c><![CDATA[<b>&]]></c></r>";
    xml::Document doc = xml::Document::parse(text);
    EXPECT_EQ(doc.root().childText("v").value(), QStringLiteral("\n  two\n  lines "));
    EXPECT_EQ(doc.root().childText("c").value(), QStringLiteral("<b>&"));
    EXPECT_TRUE(doc.rootBytes().contains("<![CDATA[<b>&]]>"));

    // A document type, which could load or expand entities, is refused, even when repairing.
    const QByteArray xxe = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><r>&e;</r>";
    EXPECT_THROW(xml::Document::parse(xxe), Error);
    EXPECT_THROW(xml::Document::parseRecovering(xxe), Error);
}

TEST(Xml, BrokenMarkupFailsStrictlyWithALineAndIsRepairedLeniently)
{
    const QByteArray broken = "<r>\n<a>one</a>\n<b>two</r>";
    try {
        xml::Document::parse(broken, QStringLiteral("t.xml"));
        FAIL() << "strict parse accepted broken markup";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadInput);
        EXPECT_TRUE(e.text().startsWith(QLatin1String("t.xml: XML error at line"))) << e.text().toStdString();
    }
    xml::Document repaired = xml::Document::parseRecovering(broken);
    EXPECT_EQ(repaired.root().childText("a").value(), QStringLiteral("one"));
    EXPECT_THROW(xml::Document::parse("not xml at all"), Error);
}

TEST(Xml, BuildsCopiesAndPrettyPrints)
{
    xml::Document a = xml::Document::create(QStringLiteral("book"));
    xml::Element page = a.root().appendElement(QStringLiteral("Page"));
    page.setAttribute(QStringLiteral("n"), QStringLiteral("1 & \"2\""));
    page.appendElement(QStringLiteral("t"), QStringLiteral("x<y"));
    xml::Document b = xml::Document::create(QStringLiteral("outer"));
    b.root().appendCopy(a.root());
    const QByteArray out = b.toBytes(xml::Output::Pretty, QStringLiteral("    "));
    EXPECT_TRUE(out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<outer>\n    <book>\n        <Page"));
    xml::Document back = xml::Document::parse(out);
    EXPECT_EQ(back.root().firstChild("book").firstChild("Page").attribute("n").value(), QStringLiteral("1 & \"2\""));
    EXPECT_EQ(back.root().firstChild("book").firstChild("Page").childText("t").value(), QStringLiteral("x<y"));
}

TEST(NotificationCenter, DeliversByNameAndSenderFromAnyThreadAndStopsAfterRemoval)
{
    NotificationCenter center;
    int any = 0, fromA = 0;
    int a = 0, b = 0;
    auto t1 = center.addObserver("N", nullptr, [&](const Notification& n) { any += n.userInfo.value("k").toInt(); });
    {
        ScopedObserver scoped(center, "N", &a, [&](const Notification&) { ++fromA; });
        center.post("N", &a, {{"k", 2}});
        std::thread worker([&] { center.post("N", &b, {{"k", 3}}); });
        worker.join();
        center.post("Other", &a);
    }
    center.post("N", &a, {{"k", 1}});
    center.removeObserver(t1);
    center.post("N", &a, {{"k", 100}});
    EXPECT_EQ(any, 6);
    EXPECT_EQ(fromA, 1);
}
