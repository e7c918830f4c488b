#include "fakes/TestFiles.h"
#include "publish/TextTemplate.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

struct Case {
    const char* pattern;
    const char* expected;
};

class TextTemplateCases : public ::testing::TestWithParam<Case> {};

TEST_P(TextTemplateCases, SubstitutesEveryPlaceholderAndKeepsTheTextAround)
{
    TextTemplate t(QString::fromUtf8(GetParam().pattern));
    t.setItem(QStringLiteral("index.title"), QStringLiteral("My Book"));
    t.setItem(QStringLiteral("x"), QStringLiteral("1"));
    t.setItem(QStringLiteral("y"), QStringLiteral("2"));
    t.setItem(QStringLiteral("evil"), QStringLiteral("Q&A <b>\"it's\"</b>"));
    EXPECT_EQ(t.parse().toStdString(), std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Engine, TextTemplateCases,
    ::testing::Values(Case{"<title>${index.title}</title>", "<title>My Book</title>"},
                      // blanks after "}" and at both ends of the pattern are kept
                      Case{"a ${x} b", "a 1 b"}, Case{"  ${x}\n", "  1\n"},
                      // a pattern that starts with a placeholder is filled
                      Case{"${index.title} rest", "My Book rest"},
                      // placeholders that follow one another are all filled
                      Case{"A${x}${y}B", "A12B"}, Case{"${x} ${y}", "1 2"},
                      // leading blanks of a key are ignored, trailing ones are part of it
                      Case{"[${ index.title}]", "[My Book]"}, Case{"[${index.title }]", "[]"},
                      // a missing key gives the empty text; an unclosed placeholder is kept
                      Case{"a${nokey}b", "ab"}, Case{"a ${x} ${unclosed", "a 1 ${unclosed"},
                      Case{"${}", ""}, Case{"no placeholders", "no placeholders"}, Case{"", ""},
                      Case{"$ {x} $x {x}", "$ {x} $x {x}"}, Case{"é${x}ü", "é1ü"},
                      // values are HTML-escaped
                      Case{"<p>${evil}</p>", "<p>Q&amp;A &lt;b&gt;&quot;it&#39;s&quot;&lt;/b&gt;</p>"}));

} // namespace
