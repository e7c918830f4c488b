#include "import/SvgCompactor.h"

#include <QList>

#include <gtest/gtest.h>

namespace leafcraft {
namespace {

struct NumberCase {
    double value;
    int decimals;
    const char* text;
};

class SvgNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SvgNumberTest, ShortestTextAtTheGivenPlaces)
{
    QByteArray out;
    appendSvgNumber(out, GetParam().value, GetParam().decimals);
    EXPECT_EQ(out, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Numbers, SvgNumberTest,
                         ::testing::Values(NumberCase{0.5, 2, ".5"}, NumberCase{-0.5, 2, "-.5"},
                                           NumberCase{12.0, 2, "12"}, NumberCase{444.9799, 2, "444.98"},
                                           NumberCase{-0.001, 2, "0"}, NumberCase{0.6819916, 4, ".682"},
                                           NumberCase{1999.996, 2, "2000"}, NumberCase{-7.25, 0, "-7"},
                                           NumberCase{0.0000125, 6, ".000013"}));

// A page as the PDF back-end draws it: glyph outlines in em units, placed with matrices.
const QByteArray kPage =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" "
    "width=\"100pt\" height=\"50pt\" viewBox=\"0 0 100 50\">\n<defs>\n"
    "<path id=\"font_1_2\" d=\"M.1 .2L.30000001 .2 .2 .7Z\"/>\n"
    "<path id=\"font_1_1\" d=\"M0 0Z\"/>\n</defs>\n"
    "<use data-text=\"A\" xlink:href=\"#font_1_2\" transform=\"matrix(10,0,0,-10,5.123456,40)\" fill=\"#1a1a1a\"/>\n"
    "<use data-text=\" \" xlink:href=\"#font_1_1\" transform=\"matrix(10,0,0,-10,8,40)\" fill=\"#1a1a1a\"/>\n"
    "<use data-text=\"A\" xlink:href=\"#font_1_2\" transform=\"matrix(10,0,0,-10,11,40)\" fill=\"#1a1a1a\"/>\n"
    "<use data-text=\"A\" xlink:href=\"#font_1_2\" transform=\"matrix(0,10,10,0,20,20)\" fill=\"#ff0000\"/>\n"
    "<g transform=\"matrix(.25,0,0,.25,0,0)\">\n"
    "<path d=\"M1.23456 2.5L3 4\" stroke=\"#000\"/>\n"
    "<image width=\"2\" height=\"2\" xlink:href=\"data:image/png;base64,\nQUJD\nREVG\"/>\n</g>\n"
    "<wavy x=\"1.23456\"/>\n</svg>\n";

TEST(SvgCompactorTest, GlyphsPicturesAndNumbers)
{
    QList<SvgPicture> seen;
    const CompactSvg out = compactSvg(kPage, [&seen](const SvgPicture& in) {
        seen.append(in);
        return SvgPicture{"image/jpeg", "xyz"};
    });
    const QByteArray& s = out.svg;
    // Glyphs at a plain scale: one outline at that size, placed by x and y in one colour group;
    // the blank one gone, the text copies gone.
    EXPECT_TRUE(s.contains("<path id=\"g0\" d=\"M1-2L3-2 2-7Z\"/>")) << s.constData();
    EXPECT_TRUE(s.contains("<g fill=\"#1a1a1a\"><use href=\"#g0\" x=\"5.12\" y=\"40\"/><use href=\"#g0\" x=\"11\" "
                           "y=\"40\"/></g>"))
        << s.constData();
    EXPECT_FALSE(s.contains("data-text"));
    EXPECT_EQ(s.count("<use"), 3);
    // A turned glyph keeps its matrix over the em-size outline.
    EXPECT_TRUE(s.contains("<g fill=\"#ff0000\"><use href=\"#g1\" transform=\"matrix(0 10 10 0 20 20)\"/></g>"))
        << s.constData();
    EXPECT_TRUE(s.contains("<path id=\"g1\" d=\"M.1.2L.3.2.2.7Z\"/>"));
    // Under a quarter scale a hundredth of a point takes three places of the group's units.
    EXPECT_TRUE(s.contains("d=\"M1.235 2.5L3 4\"")) << s.constData();
    // Pictures go through the re-encoder, base64 without line breaks.
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].mimeType, "image/png");
    EXPECT_EQ(seen[0].data, "ABCDEF");
    EXPECT_TRUE(s.contains("href=\"data:image/jpeg;base64,eHl6\""));
    EXPECT_EQ(out.pictures, 1);
    EXPECT_EQ(out.pictureBytes, 3);
    // What the compactor does not know stays, its numbers trimmed.
    EXPECT_TRUE(s.contains("<wavy x=\"1.23\"/>"));
    EXPECT_TRUE(s.startsWith("<svg ") && s.endsWith("</svg>")) << s.constData();
    EXPECT_FALSE(s.contains("version="));
    EXPECT_EQ(out.drawingElements, 6); // four glyph uses, one path, one picture
}

} // namespace
} // namespace leafcraft
