#include "import/SvgCompactor.h"
#include "import/SvgSyntax_p.h"

#include <QList>
#include <QRegularExpression>

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

// The points a path goes through, absolute, from its data (commands of either case).
std::vector<std::pair<double, double>> pathPoints(const QByteArray& d, double dx = 0)
{
    std::vector<std::pair<double, double>> points;
    const svg::NumberList list = svg::parseNumbers(d);
    double x = 0, y = 0, startX = 0, startY = 0;
    char command = 0;
    std::vector<double> args;
    for (const auto& item : list.items) {
        if (item.command) {
            command = item.command;
            if (command == 'z' || command == 'Z')
                x = startX, y = startY;
            continue;
        }
        args.push_back(item.value);
        const char upper = char(std::toupper(command));
        const bool relative = command != upper;
        const std::size_t need = upper == 'H' || upper == 'V' ? 1 : upper == 'C' ? 6 : upper == 'S' || upper == 'Q' ? 4 : 2;
        if (args.size() < need)
            continue;
        if (upper == 'H') {
            x = args[0] + (relative ? x : 0);
            points.emplace_back(x, y);
        } else if (upper == 'V') {
            y = args[0] + (relative ? y : 0);
            points.emplace_back(x, y);
        } else {
            const double ox = x, oy = y;
            for (std::size_t i = 0; i < need; i += 2) {
                points.emplace_back(args[i] + (relative ? ox : 0), args[i + 1] + (relative ? oy : 0));
                x = points.back().first, y = points.back().second;
            }
            if (upper == 'M') {
                startX = x, startY = y;
                command = relative ? 'l' : 'L';
            }
        }
        args.clear();
    }
    for (auto& p : points)
        p.first += dx;
    return points;
}

void expectSamePoints(const std::vector<std::pair<double, double>>& a, const std::vector<std::pair<double, double>>& b,
                      double tolerance = 1e-9)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].first, b[i].first, tolerance) << i;
        EXPECT_NEAR(a[i].second, b[i].second, tolerance) << i;
    }
}

// Relative path data lands on the very points of the absolute form: rounding before
// subtracting leaves no drift along a long outline, whatever commands the input uses.
TEST(SvgCompactorTest, RelativePathsKeepEveryPoint)
{
    const QByteArray d = "M.123456 .2L.3 .2 .31 .25H.5V.7h.01v.01C.6 .8 .7 .8 .75 .7S.8 .6 .85 .6"
                         "Q.9 .5 .95 .6T1 .7ZM.2 .3l.001 .001.001 .001.001 .001.001 .001.001 .001z"
                         "m.1 .1c.01 .01 .02 .02 .03 .03s.01 .01 .02 .02q.01 .01 .02 .02t.01 .01Z";
    QByteArray relative;
    double firstX = 0, firstY = 0;
    svg::Box bounds;
    ASSERT_TRUE(svg::writeRelativePath(relative, d, 13.7, -13.7, 2, firstX, firstY, bounds));
    QByteArray whole = "M";
    svg::PathWriter(whole).number(firstX, 2);
    whole += ' ';
    svg::PathWriter(whole).number(firstY, 2);
    auto exact = pathPoints(d);
    for (auto& p : exact)
        p = {p.first * 13.7, p.second * -13.7};
    // Every point within half a hundredth of where it belongs, the last as the first.
    expectSamePoints(pathPoints(whole + relative), exact, 0.005 + 1e-9);
    EXPECT_NEAR(bounds.x1, 1.0 * 13.7, 1e-9);
    EXPECT_NEAR(bounds.y0, -.8 * 13.7, 1e-9);
    double unused = 0;
    EXPECT_FALSE(svg::writeRelativePath(relative, "M0 0A1 1 0 0 1 2 2", 1, 1, 2, unused, unused, bounds));
    EXPECT_FALSE(svg::writeRelativePath(relative, "M0 0L1", 1, 1, 2, unused, unused, bounds));
}

// A word set several times is drawn once as a path and placed by one <use> a time, on the
// points its glyphs had; a word set once keeps its glyphs.
TEST(SvgCompactorTest, RecurringWordsBecomeOneShape)
{
    QByteArray page = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                      "width=\"100pt\" height=\"100pt\" viewBox=\"0 0 100 100\">\n<defs>\n"
                      "<path id=\"font_1_1\" d=\"M.05 0L.45 0 .25 .7Z\"/>\n"
                      "<path id=\"font_1_2\" d=\"M.05 0H.45V.7H.05Z\"/>\n"
                      "<path id=\"font_1_3\" d=\"M0 0Z\"/>\n</defs>\n";
    auto glyph = [&page](int font, double x, double y) {
        page += "<use xlink:href=\"#font_1_" + QByteArray::number(font) + "\" transform=\"matrix(10,0,0,-10," +
                QByteArray::number(x) + ',' + QByteArray::number(y) + ")\" fill=\"#000000\"/>\n";
    };
    // "AB AB AB" on a line, "AB" again on the next, then "BA" once.
    for (double x : {10.0, 23.0, 36.0}) {
        glyph(1, x, 20);
        glyph(2, x + 4.9, 20); // letters touch: one word
        glyph(3, x + 9.4, 20); // a space
    }
    glyph(1, 10.004, 35);
    glyph(2, 14.904, 35);
    glyph(2, 10, 50);
    glyph(1, 14.9, 50);
    page += "</svg>\n";
    const CompactSvg out = compactSvg(page, nullptr);
    const QByteArray& s = out.svg;
    const QRegularExpression shapeDef("<path id=\"(\\w+)\" d=\"(M[^\"]*M[^\"]*)\"/>");
    const auto shapes = shapeDef.globalMatch(QString::fromLatin1(s));
    ASSERT_TRUE(shapes.hasNext()) << s.constData();
    const auto shape = shapes.peekNext();
    const QByteArray id = shape.captured(1).toLatin1();
    EXPECT_EQ(s.count("href=\"#" + id + '"'), 4) << s.constData();
    for (const char* place : {"x=\"10\" y=\"20\"", "x=\"23\" y=\"20\"", "x=\"36\" y=\"20\"", "x=\"10\" y=\"35\""})
        EXPECT_TRUE(s.contains("<use href=\"#" + id + "\" " + place + "/>")) << place << s.constData();
    // The shape's points are those of its two glyphs, the second moved by its offset.
    QByteArray a, b;
    ASSERT_TRUE(svg::writePath(a, "M.05 0L.45 0 .25 .7Z", 10, -10, 2));
    ASSERT_TRUE(svg::writePath(b, "M.05 0H.45V.7H.05Z", 10, -10, 2));
    auto expected = pathPoints(a);
    for (const auto& p : pathPoints(b, 4.9))
        expected.push_back(p);
    expectSamePoints(pathPoints(shape.captured(2).toLatin1()), expected);
    // "BA", set once, keeps its two glyph uses; every glyph still counts as drawn.
    EXPECT_EQ(s.count("<use"), 6) << s.constData();
    EXPECT_EQ(out.drawingElements, 13);
}

// What lies wholly outside the page's viewBox (a cropped page's surroundings) is left out;
// whatever may show, or whose place is not sure, stays.
TEST(SvgCompactorTest, WhatLiesOffThePageIsLeftOut)
{
    const QByteArray page =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"100pt\" height=\"100pt\" viewBox=\"0 0 100 100\">\n<defs>\n"
        "<path id=\"font_1_1\" d=\"M0 0L.5 0 .25 .7Z\"/>\n"
        "<path id=\"far-in-defs\" d=\"M500 500L600 600\"/>\n</defs>\n"
        "<use xlink:href=\"#font_1_1\" transform=\"matrix(10,0,0,-10,10,50)\" fill=\"#000\"/>\n"
        "<use xlink:href=\"#font_1_1\" transform=\"matrix(10,0,0,-10,10,730)\" fill=\"#000\"/>\n"
        "<use xlink:href=\"#font_1_1\" transform=\"matrix(10,0,0,-10,98,50)\" fill=\"#000\"/>\n"
        "<path id=\"below\" d=\"M10 200L90 300Z\" fill=\"#f00\"/>\n"
        "<path id=\"across\" d=\"M-50 50L150 60\" stroke=\"#000\"/>\n"
        "<path id=\"stroke-reaches-in\" d=\"M-3 10V90\" stroke=\"#000\" stroke-width=\"2\"/>\n"
        "<path id=\"left\" d=\"M-30 10V90\" stroke=\"#000\"/>\n"
        "<rect id=\"box-out\" x=\"120\" y=\"0\" width=\"10\" height=\"10\"/>\n"
        "<g transform=\"matrix(1,0,0,1,-200,0)\">\n"
        "<image id=\"moved-in\" x=\"210\" y=\"10\" width=\"5\" height=\"5\" xlink:href=\"data:image/png;base64,QUJD\"/>\n"
        "<image id=\"moved-out\" x=\"10\" y=\"10\" width=\"5\" height=\"5\" xlink:href=\"data:image/png;base64,QUJD\"/>\n"
        "</g>\n"
        "<path id=\"own-transform-in\" transform=\"matrix(1,0,0,1,0,-500)\" d=\"M10 510L20 520\" fill=\"#000\"/>\n"
        "<g transform=\"rotate(30)\"><path id=\"unknown-place\" d=\"M500 500L600 600\"/></g>\n"
        "<clipPath id=\"c\"><path id=\"clip-far\" d=\"M500 500L600 600\"/></clipPath>\n"
        "</svg>\n";
    int pictures = 0;
    const CompactSvg out = compactSvg(page, [&pictures](const SvgPicture& in) { ++pictures; return in; });
    const QByteArray& s = out.svg;
    for (const char* kept : {"far-in-defs", "across", "stroke-reaches-in", "moved-in", "own-transform-in",
                             "unknown-place", "clip-far"})
        EXPECT_TRUE(s.contains(QByteArray("id=\"") + kept + '"')) << kept << ' ' << s.constData();
    for (const char* left : {"below", "left", "box-out", "moved-out"})
        EXPECT_FALSE(s.contains(QByteArray("id=\"") + left + '"')) << left << ' ' << s.constData();
    // The glyph far below the page goes; the one in it and the one on its edge stay.
    EXPECT_EQ(s.count("<use"), 2) << s.constData();
    EXPECT_FALSE(s.contains("y=\"730\"")) << s.constData();
    EXPECT_EQ(pictures, 1); // a picture left out is not even re-encoded
}

} // namespace
} // namespace leafcraft
