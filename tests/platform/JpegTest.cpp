// JPEG encoding/decoding and the area-average scaler.
#include "platform/ImageScaler.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegEncoder.h"
#include "support/Error.h"

#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

pdf::Bitmap picture(int w, int h, auto colour)
{
    pdf::Bitmap b;
    b.width = w;
    b.height = h;
    b.pixels.resize(qsizetype(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                b.pixels[(qsizetype(y) * w + x) * 3 + c] = char(colour(x, y, c));
    return b;
}

int at(const pdf::Bitmap& b, int x, int y, int c)
{
    return static_cast<unsigned char>(b.pixels[(qsizetype(y) * b.width + x) * 3 + c]);
}

} // namespace

TEST(JpegTest, RoundTripKeepsSizeAndColour)
{
    const pdf::Bitmap source = picture(321, 123, [](int x, int, int c) { return c == 0 ? 200 : (c == 1 ? x % 256 : 40); });
    for (int quality : {100, 85, 25}) {
        const QByteArray jpeg = JpegEncoder::encode(source, quality);
        ASSERT_TRUE(jpeg.startsWith("\xff\xd8"));
        int w = 0, h = 0;
        ASSERT_TRUE(JpegDecoder::readSize(jpeg, &w, &h));
        EXPECT_EQ(w, 321);
        EXPECT_EQ(h, 123);
        const pdf::Bitmap back = JpegDecoder::decode(jpeg);
        EXPECT_NEAR(at(back, 100, 60, 0), 200, 12);
        EXPECT_NEAR(at(back, 100, 60, 1), 100, 12);
    }
    EXPECT_GT(JpegEncoder::encode(source, 100).size(), JpegEncoder::encode(source, 25).size());
}

TEST(JpegTest, ReducedDecodingStaysAtLeastTheWantedSize)
{
    const QByteArray jpeg = JpegEncoder::encode(picture(1224, 1584, [](int, int, int) { return 255; }), 85);
    const pdf::Bitmap small = JpegDecoder::decode(jpeg, 139, 180);
    EXPECT_GE(small.width, 139);
    EXPECT_GE(small.height, 180);
    EXPECT_LT(small.width, 1224 / 2); // at least 1/4 scale was used
    EXPECT_EQ(small.pixels.size(), qsizetype(small.width) * small.height * 3);
}

TEST(JpegTest, BadDataIsRefused)
{
    int w = 0, h = 0;
    EXPECT_FALSE(JpegDecoder::readSize(QByteArray("not a jpeg"), &w, &h));
    EXPECT_FALSE(JpegDecoder::readSize(QByteArray(), &w, &h));
    EXPECT_THROW(JpegDecoder::decode(QByteArray("\xff\xd8\xff\xe0garbage", 11)), Error);
    EXPECT_THROW(JpegEncoder::encode(pdf::Bitmap{}, 85), Error);
}

TEST(ImageScalerTest, AveragesTheCoveredArea)
{
    // Black and white columns average to grey.
    const pdf::Bitmap stripes = picture(8, 8, [](int x, int, int) { return x % 2 ? 255 : 0; });
    const pdf::Bitmap grey = ImageScaler::scale(stripes, 2, 2);
    EXPECT_EQ(grey.width, 2);
    EXPECT_NEAR(at(grey, 0, 0, 0), 128, 1);
    EXPECT_NEAR(at(grey, 1, 1, 2), 128, 1);

    // 3 -> 2 pixels: the middle source pixel is shared half and half.
    const pdf::Bitmap row = picture(3, 1, [](int x, int, int) { return x == 0 ? 0 : (x == 1 ? 90 : 180); });
    const pdf::Bitmap two = ImageScaler::scale(row, 2, 1);
    EXPECT_NEAR(at(two, 0, 0, 0), (0 * 1.0 + 90 * 0.5) / 1.5, 1);
    EXPECT_NEAR(at(two, 1, 0, 0), (90 * 0.5 + 180 * 1.0) / 1.5, 1);

    // Odd sizes: 1224 x 1584 to the 139 x 180 of a thumbnail, a uniform colour stays put.
    const pdf::Bitmap page = picture(1224, 1584, [](int, int, int c) { return 50 + c * 70; });
    const pdf::Bitmap thumb = ImageScaler::scale(page, 139, 180);
    EXPECT_EQ(thumb.pixels.size(), 139 * 180 * 3);
    EXPECT_EQ(at(thumb, 138, 179, 0), 50);
    EXPECT_EQ(at(thumb, 0, 0, 2), 190);

    EXPECT_THROW(ImageScaler::scale(pdf::Bitmap{}, 2, 2), Error);
    EXPECT_THROW(ImageScaler::scale(page, 0, 2), Error);
}
