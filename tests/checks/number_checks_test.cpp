#include "checks/number_checks.h"

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

struct CleanCase {
    const char* name;
    QString written;
    QString cleaned;
};

// Numbers as people, word processors and spreadsheets write them. Whatever still holds something
// other than digits and a "+" is left for the syntax check to refuse.
TEST(CleanNumberForm, keepsTheDigitsOfEveryWayOfWritingANumber) {
    const std::vector<CleanCase> cases = {
        {"digits", "07785016005", "07785016005"},
        {"spaces hyphens and blanks around", "  +44 7785-016 005\r\n", "+447785016005"},
        {"no-break thin and narrow spaces", QString::fromUtf8("0778\u00A0501\u2009600\u202F5"),
         "07785016005"},
        {"direction marks of a copied contact", QString::fromUtf8("\u202A+44 7785 016005\u202C"),
         "+447785016005"},
        {"en dash and minus sign", QString::fromUtf8("0778\u2013501\u22126005"), "07785016005"},
        {"parentheses", "(020) 7946 0018", "02079460018"},
        {"international prefix in parentheses", "(+44) 20 7946 0018", "+442079460018"},
        {"trunk zero after the prefix", "+44 (0)20 7946 0018", "+442079460018"},
        {"zero in parentheses without a prefix", "(0)20 7946 0018", "02079460018"},
        {"dots between groups", "06.12.34.56.78", "0612345678"},
        {"dots and a prefix", "+1.202.555.0100", "+12025550100"},
        {"one dot before a long group", "0171.2345678", "01712345678"},
        {"date with the day first", "01.02.2024", "01.02.2024"},
        {"date with the year first", "2024.1.2", "2024.1.2"},
        {"spreadsheet decimal", "447911123456.0", "447911123456.0"},
        {"amount", "12.50", "12.50"},
        {"dot at the end", "07785016005.", "07785016005."},
        {"two dots in a row", "0778..5016005", "0778..5016005"},
        {"dots beside letters", "tel.0778", "tel.0778"},
        {"leading apostrophe", "'07785016005", "07785016005"},
        {"formula text", "=\"07785 016005\"", "07785016005"},
        {"formula text with blanks inside", "=\" +44 (0) 7785.016.005 \"", "+447785016005"},
        {"two text marks", "''07785016005", "''07785016005"},
        {"apostrophe inside", "0778'5016005", "0778'5016005"},
        {"scientific notation", "4.47911E+11", "4.47911E+11"},
        {"lone plus", " - + - ", "+"},
        {"only marks", QString::fromUtf8(" (\u00A0) - "), ""},
    };
    for (const auto& c : cases) {
        const QString once = Clean_Number_Form(c.written);
        EXPECT_EQ(once, c.cleaned) << c.name;
        EXPECT_EQ(Clean_Number_Form(once), once) << c.name << ": cleaning twice";
    }
}

struct AlphabetCase {
    const char* name;
    QString text;
    int result;
};

TEST(CheckUnicodeMessage, acceptsExactlyTheGsmAlphabet) {
    const std::vector<AlphabetCase> cases = {
        {"plain text", "Hello, world! 1+1=2?\r\n", 0},
        {"euro sign", QString::fromUtf8("5 €"), 0},
        {"Greek capital delta", QString::fromUtf8("Δ"), 0},
        {"extension characters", "^{}\\[~]|\f", 0},
        {"Latin-1 of the alphabet", QString::fromUtf8("¡£¤¥§¿ÄÅÆÇÉÑÖØÜßàäåæèéìñòöøùü"), 0},
        {"Greek of the alphabet", QString::fromUtf8("ΓΔΘΛΞΠΣΦΨΩ"), 0},
        {"grave accent", "`", 1},
        {"c with cedilla", QString::fromUtf8("ç"), 1},
        {"CJK", QString::fromUtf8("ok 漢"), 1},
        {"small Greek", QString::fromUtf8("α"), 1},
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
        {"non-breaking space is blank", QString::fromUtf8("a\u00A0b"), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check_Non_English_Message(c.text), c.result) << c.name;
    }
}

}  // namespace
