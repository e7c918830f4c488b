#include "support/ConfigContainer.h"

#include "fakes/FakePlatform.h"
#include "support/Base64.h"
#include "support/CommonCryptor.h"
#include "support/Error.h"
#include "support/ZipWriter.h"

#include <gtest/gtest.h>

namespace leafcraft {
namespace {

using test::FakePlatform;

const QByteArray kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<Folioscope>\n  <XMLVersion>1</XMLVersion>\n  <Config><Author><Name>Jos\xC3\xA9</Name></Author></Config>\n"
                             "  <Pages><Page>files/page/1.swf</Page></Pages>\n</Folioscope>\n";

QByteArray containerAround(const QByteArray& archive, const QString& key = ConfigContainer::cipherKey())
{
    const QString text = Base64::encode(*CommonCryptor::rc4Encrypt(archive, key));
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data><![CDATA[" + text.toLatin1() + "]]></data>\n";
}

struct BadContainer {
    const char* label;
    QByteArray bytes;
    const char* messagePart;
};

void PrintTo(const BadContainer& c, std::ostream* os)
{
    *os << c.label;
}

class ConfigContainerRejects : public ::testing::TestWithParam<BadContainer> {};

TEST_P(ConfigContainerRejects, WithAClearBadInputError)
{
    FakePlatform platform;
    try {
        ConfigContainer::decode(GetParam().bytes, QStringLiteral("book/files/config.xml"));
        FAIL() << "decoded a bad container";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadInput);
        EXPECT_EQ(e.where(), QStringLiteral("book/files/config.xml"));
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().messagePart))) << e.message().toStdString();
    }
}

QByteArray archiveOf(const QByteArray& content, const QString& name = QStringLiteral("config.xml"))
{
    FakePlatform platform;
    ZipWriter archive;
    archive.deflateData(content, name);
    return archive.data();
}

QByteArray withBadCrc()
{
    QByteArray a = archiveOf(kDocument);
    const qsizetype cd = a.size() - 49 - 56;
    a[14] = char(a[14] ^ 1);
    a[cd + 16] = char(a[cd + 16] ^ 1);
    return containerAround(a);
}

QByteArray withCutData()
{
    QByteArray a = archiveOf(kDocument);
    const qsizetype cd = a.size() - 49 - 56;
    a[cd + 24] = char(a[cd + 24] + 1); // claims one byte more than the stream holds
    return containerAround(a);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ConfigContainerRejects,
    ::testing::Values(
        BadContainer{"plain_text", "just some words", "not a configuration container"},
        BadContainer{"empty_file", "", "not a configuration container"},
        BadContainer{"other_root", "<Folioscope><XMLVersion>1</XMLVersion></Folioscope>", "not <data>"},
        BadContainer{"element_inside_data", "<data><x/></data>", "holds elements"},
        BadContainer{"empty_data", "<data><![CDATA[]]></data>", "holds no text"},
        BadContainer{"not_base64", "<data><![CDATA[Zm9v*mFy]]></data>", "not Base64"},
        BadContainer{"base64_of_garbage", "<data>Zm9vYmFyYmF6cXV4</data>", "not a zip archive"},
        BadContainer{"wrong_key", containerAround(archiveOf(kDocument), QStringLiteral("another-key")), "not a zip archive"},
        BadContainer{"crc_mismatch", withBadCrc(), "CRC-32 mismatch"},
        BadContainer{"size_mismatch", withCutData(), "damaged"}),
    [](const ::testing::TestParamInfo<BadContainer>& info) { return std::string(info.param.label); });

// Encode refuses what decode would: the largest document round-trips, one byte more is refused.
TEST(ConfigContainer, EncodesOnlyWhatDecodeReads)
{
    FakePlatform platform;
    QByteArray largest(qsizetype(ConfigContainer::kMaxDocumentSize), ' ');
    EXPECT_EQ(ConfigContainer::decode(ConfigContainer::encode(largest)), largest);
    largest.append(' ');
    EXPECT_THROW(ConfigContainer::encode(largest), Error);
}

} // namespace
} // namespace leafcraft
