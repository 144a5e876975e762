#include "composer/number_checks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct NumberCase {
    const char* name;
    QString text;
    uint8_t flag;
    uint8_t invalid;
};

TEST(CheckPhNumber, followsTheNumberSyntax) {
    const std::vector<NumberCase> cases = {
        {"20 digits", "12345678901234567890", 0, 0},
        {"21 digits", "123456789012345678901", 0, 1},
        {"20 digits between blanks", "  12345678901234567890 \t\n", 0, 0},
        {"empty", "", 0, 1},
        {"only blanks", "  \r\n ", 0, 1},
        {"plus first", "+447700900123", 0, 0},
        {"plus inside passes the check itself", "4477+00", 0, 0},
        {"plus last", "123+", 0, 0},
        {"dash", "0044-7700", 0, 0},
        {"comma with flag 0", "123,456", 0, 1},
        {"comma with flag 1", "123,456", 1, 0},
        {"comma with flag 2", "123,456", 2, 1},
        {"letter with flag 0", "12a45", 0, 1},
        {"letter with flag 1", "12a45", 1, 1},
        {"blank inside", "123 456", 0, 1},
        {"full-width digit", QString::fromUtf8("１２３"), 0, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check_Ph_Number(c.text, c.flag), c.invalid) << c.name;
    }
}

struct AlphabetCase {
    const char* name;
    QString text;
    int result;
};

TEST(CheckUnicodeMessage, acceptsExactlyTheGsmAlphabet) {
    const std::vector<AlphabetCase> cases = {
        {"empty", "", 0},
        {"plain text", "Hello, world! 1+1=2?\r\n", 0},
        {"euro sign", QString::fromUtf8("5 €"), 0},
        {"square bracket", "[x", 0},
        {"Greek capital delta", QString::fromUtf8("Δ"), 0},
        {"extension characters", "^{}\\[~]|\f", 0},
        {"Latin-1 of the alphabet", QString::fromUtf8("¡£¤¥§¿ÄÅÆÇÉÑÖØÜßàäåæèéìñòöøùü"), 0},
        {"Greek of the alphabet", QString::fromUtf8("ΓΔΘΛΞΠΣΦΨΩ"), 0},
        {"grave accent", "`", 1},
        {"c with cedilla", QString::fromUtf8("ç"), 1},
        {"CJK", QString::fromUtf8("ok 漢"), 1},
        {"u with acute", QString::fromUtf8("ú"), 1},
        {"small Greek", QString::fromUtf8("α"), 1},
        {"typographic quote", QString::fromUtf8("“"), 1},
        {"tab", "a\tb", 1},
        {"emoji", QString::fromUtf8("😀"), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check_UNICODE_Message(c.text), c.result) << c.name;
    }
}

TEST(CheckNonEnglishMessage, acceptsPlainAsciiOnly) {
    const std::vector<AlphabetCase> cases = {
        {"empty", "", 0},
        {"Latin text over lines", "Dear customer\nyour order 42 is ready\r\n  Thanks\tagain", 0},
        {"every sign class", "~!@#$%^*_+=-[]}{:,.?/&\\|><()\";'`", 0},
        {"pound sign", QString::fromUtf8("10 £"), 1},
        {"e with acute", QString::fromUtf8("café"), 1},
        {"euro sign", QString::fromUtf8("€"), 1},
        {"CJK", QString::fromUtf8("漢"), 1},
        {"non-breaking space is blank", QString::fromUtf8("a\u00A0b"), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check_Non_English_Message(c.text), c.result) << c.name;
    }
}

}  // namespace
