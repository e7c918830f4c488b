#include "support/Base64.h"
#include "support/CommonCryptor.h"

#include <gtest/gtest.h>

namespace leafcraft {
namespace {

// RFC 6229 keystream: key 01 02 03 .. of the given length, 16 bytes at each offset.
struct Rc4Vector {
    int keyBits;
    int offset;
    const char* keystreamHex;
};

void PrintTo(const Rc4Vector& v, std::ostream* os)
{
    *os << v.keyBits << " bits at " << v.offset;
}

class Rc4Rfc6229 : public ::testing::TestWithParam<Rc4Vector> {};

TEST_P(Rc4Rfc6229, KeystreamMatches)
{
    const Rc4Vector& v = GetParam();
    QByteArray key;
    for (int i = 1; i <= v.keyBits / 8; ++i)
        key.append(char(i));
    const QByteArray zeros(v.offset + 16, '\0');
    const std::optional<QByteArray> out = CommonCryptor::rc4Encrypt(zeros, key);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->size(), zeros.size());
    EXPECT_EQ(out->mid(v.offset).toHex(), QByteArray(v.keystreamHex));
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, Rc4Rfc6229,
    ::testing::Values(Rc4Vector{40, 0, "b2396305f03dc027ccc3524a0a1118a8"},
                      Rc4Vector{40, 16, "6982944f18fc82d589c403a47a0d0919"},
                      Rc4Vector{40, 240, "28cb1132c96ce286421dcaadb8b69eae"},
                      Rc4Vector{40, 4096, "ff25b58995996707e51fbdf08b34d875"},
                      Rc4Vector{56, 0, "293f02d47f37c9b633f2af5285feb46b"},
                      Rc4Vector{56, 4096, "e74b0b9731227fd37c0ec08a47ddd8b8"},
                      Rc4Vector{64, 0, "97ab8a1bf0afb96132f2f67258da15a8"},
                      Rc4Vector{64, 240, "9636ebc9841926f4f7d1f362bddf6e18"},
                      Rc4Vector{80, 16, "03516ba78f413beb223aa5d4d2df6711"},
                      Rc4Vector{80, 4096, "08b6be45124a43e2eb77953f84dc8553"},
                      Rc4Vector{128, 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
                      Rc4Vector{128, 16, "5248c4959014126a6e8a84f11d1a9e1c"},
                      Rc4Vector{128, 4096, "a36a4c301ae8ac13610ccbc12256cacc"},
                      Rc4Vector{192, 0, "0595e57fe5f0bb3c706edac8a4b2db11"},
                      Rc4Vector{192, 240, "b06b9b1e195d13d8f4a7995c4553ac05"},
                      Rc4Vector{256, 0, "eaa6bd25880bf93d3f5d1e4ca2611d91"},
                      Rc4Vector{256, 16, "cfa45c9f7e714b54bdfa80027cb14380"},
                      Rc4Vector{256, 4096, "f3e4c0a2e02d1d01f7f0a74618af2b48"}),
    [](const ::testing::TestParamInfo<Rc4Vector>& info) {
        return "key" + std::to_string(info.param.keyBits) + "_at" + std::to_string(info.param.offset);
    });

TEST(Rc4Test, KeyRulesAndRoundTrip)
{
    const QByteArray plain = QByteArray("PK\x03\x04 archive bytes ") + QByteArray(3000, 'x');
    const std::optional<QByteArray> enciphered = CommonCryptor::rc4Encrypt(plain, "pbkcfg-rc4-k14");
    ASSERT_TRUE(enciphered);
    EXPECT_EQ(enciphered->size(), plain.size());
    EXPECT_NE(*enciphered, plain);
    EXPECT_EQ(CommonCryptor::rc4Encrypt(*enciphered, QStringLiteral("pbkcfg-rc4-k14")), plain);

    // A text key is keyed with its UTF-8 bytes.
    EXPECT_EQ(CommonCryptor::rc4Encrypt(plain, QStringLiteral("cl\u00E9")),
              CommonCryptor::rc4Encrypt(plain, QByteArray("cl\xC3\xA9")));

    EXPECT_EQ(CommonCryptor::rc4Encrypt(QByteArray(), "k"), QByteArray());

    CryptorError error;
    EXPECT_FALSE(CommonCryptor::rc4Encrypt(plain, QByteArray(), &error));
    EXPECT_EQ(error.domain, QStringLiteral("CommonCryptoErrorDomain"));
    EXPECT_EQ(error.status, -4300);
}

// RFC 4648 section 10, plus binary bytes that use "+" and "/".
struct Base64Vector {
    QByteArray bytes;
    const char* text;
};

void PrintTo(const Base64Vector& v, std::ostream* os)
{
    *os << '"' << v.text << '"';
}

class Base64Rfc4648 : public ::testing::TestWithParam<Base64Vector> {};

TEST_P(Base64Rfc4648, EncodesAndDecodes)
{
    const Base64Vector& v = GetParam();
    const QString text = QString::fromLatin1(v.text);
    EXPECT_EQ(Base64::encode(v.bytes), text);
    EXPECT_EQ(Base64::encode(v.bytes.constData(), v.bytes.size()), text);
    EXPECT_EQ(Base64::decode(text), v.bytes);
    EXPECT_TRUE(Base64::isCanonical(text));
}

INSTANTIATE_TEST_SUITE_P(Vectors, Base64Rfc4648,
                         ::testing::Values(Base64Vector{"", ""}, Base64Vector{"f", "Zg=="},
                                           Base64Vector{"fo", "Zm8="}, Base64Vector{"foo", "Zm9v"},
                                           Base64Vector{"foob", "Zm9vYg=="}, Base64Vector{"fooba", "Zm9vYmE="},
                                           Base64Vector{"foobar", "Zm9vYmFy"},
                                           Base64Vector{QByteArray("\xFB\xFF\xBF", 3), "+/+/"},
                                           Base64Vector{QByteArray("\x00\x00", 2), "AAA="}));

struct DecodeCase {
    const char* label;
    QString text;
    std::optional<QByteArray> expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.label;
}

class Base64Decoder : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Base64Decoder, FollowsTheLenientRules)
{
    EXPECT_EQ(Base64::decode(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Base64Decoder,
    ::testing::Values(
        DecodeCase{"length_not_multiple_of_4", QStringLiteral("Zm9vY"), std::nullopt},
        DecodeCase{"non_ascii", QStringLiteral("Zm9\u00E9"), std::nullopt},
        // A character outside the alphabet counts as "A" (value 0).
        DecodeCase{"outside_alphabet_counts_as_zero", QStringLiteral("Zm9v*mFy"), QByteArray("foo\x02" "ar")},
        DecodeCase{"same_as_A", QStringLiteral("Zm9vAmFy"), QByteArray("foo\x02" "ar")},
        DecodeCase{"inner_equals_counts_as_zero", QStringLiteral("Zg==Zm8="), QByteArray("f\x00\x00" "fo", 5)},
        DecodeCase{"all_trailing_equals_dropped", QStringLiteral("Z==="), QByteArray()},
        DecodeCase{"only_padding", QStringLiteral("===="), QByteArray()},
        DecodeCase{"empty", QStringLiteral(""), QByteArray()}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace leafcraft
