#include "checks/number_checks.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(CheckPhNumber, followsTheNumberSyntax) {
    // number, flag, 1 when invalid
    const std::tuple<QString, uint8_t, uint8_t> cases[] = {
        {"12345678901234567890", 0, 0},  // 20 digits
        {"123456789012345678901", 0, 1},
        {"  12345678901234567890 \t\n", 0, 0},
        {"", 0, 1},
        {"4477+00", 0, 0},  // a plus inside passes the check itself
        {"0044-7700", 0, 0},
        {"123,456", 0, 1},
        {"123,456", 1, 0},  // a comma only with flag 1
        {"123,456", 2, 1},
        {"12a45", 0, 1},
        {"12a45", 1, 1},
        {"123 456", 0, 1},
        {QString::fromUtf8("１２３"), 0, 1},  // full-width digits
    };
    for (const auto& [text, flag, invalid] : cases) {
        EXPECT_EQ(Check_Ph_Number(text, flag), invalid) << text.toStdString() << " flag " << +flag;
    }
}

// Numbers as people, word processors and spreadsheets write them. Whatever still holds something
// other than digits and a "+" is left for the syntax check to refuse.
TEST(CleanNumberForm, keepsTheDigitsOfEveryWayOfWritingANumber) {
    const std::pair<QString, QString> cases[] = {
        {"07785016005", "07785016005"},
        {"  +44 7785-016 005\r\n", "+447785016005"},
        // no-break, thin and narrow spaces; direction marks of a copied contact; en dash, minus
        {QString::fromUtf8("0778\u00A0501\u2009600\u202F5"), "07785016005"},
        {QString::fromUtf8("\u202A+44 7785 016005\u202C"), "+447785016005"},
        {QString::fromUtf8("0778\u2013501\u22126005"), "07785016005"},
        {"(020) 7946 0018", "02079460018"},
        {"(+44) 20 7946 0018", "+442079460018"},
        {"+44 (0)20 7946 0018", "+442079460018"},  // the trunk zero after the prefix goes
        {"(0)20 7946 0018", "02079460018"},
        {"06.12.34.56.78", "0612345678"},
        {"+1.202.555.0100", "+12025550100"},
        {"0171.2345678", "01712345678"},
        // dates, spreadsheet decimals, amounts and dots out of place are no numbers
        {"01.02.2024", "01.02.2024"},
        {"2024.1.2", "2024.1.2"},
        {"447911123456.0", "447911123456.0"},
        {"12.50", "12.50"},
        {"07785016005.", "07785016005."},
        {"0778..5016005", "0778..5016005"},
        {"tel.0778", "tel.0778"},
        // spreadsheet text marks, taken off once
        {"'07785016005", "07785016005"},
        {"=\"07785 016005\"", "07785016005"},
        {"=\" +44 (0) 7785.016.005 \"", "+447785016005"},
        {"''07785016005", "''07785016005"},
        {"0778'5016005", "0778'5016005"},
        {"4.47911E+11", "4.47911E+11"},
        {" - + - ", "+"},
        {QString::fromUtf8(" (\u00A0) - "), ""},
    };
    for (const auto& [written, cleaned] : cases) {
        const QString once = Clean_Number_Form(written);
        EXPECT_EQ(once, cleaned) << written.toStdString();
        EXPECT_EQ(Clean_Number_Form(once), once) << written.toStdString() << ": cleaning twice";
    }
}

TEST(CheckUnicodeMessage, acceptsExactlyTheGsmAlphabet) {
    const std::pair<QString, int> cases[] = {
        {"Hello, world! 1+1=2?\r\n", 0},
        {QString::fromUtf8("5 €"), 0},
        {"^{}\\[~]|\f", 0},  // the extension table
        {QString::fromUtf8("¡£¤¥§¿ÄÅÆÇÉÑÖØÜßàäåæèéìñòöøùü"), 0},
        {QString::fromUtf8("ΓΔΘΛΞΠΣΦΨΩ"), 0},
        {"`", 1},
        {QString::fromUtf8("ç"), 1},
        {QString::fromUtf8("ok 漢"), 1},
        {QString::fromUtf8("α"), 1},
        {"a\tb", 1},
        {QString::fromUtf8("😀"), 1},
    };
    for (const auto& [text, result] : cases) {
        EXPECT_EQ(Check_UNICODE_Message(text), result) << text.toStdString();
    }
}

TEST(CheckNonEnglishMessage, acceptsPlainAsciiOnly) {
    const std::pair<QString, int> cases[] = {
        {"Dear customer\nyour order 42 is ready\r\n  Thanks\tagain", 0},
        {"~!@#$%^*_+=-[]}{:,.?/&\\|><()\";'`", 0},  // every sign class
        {QString::fromUtf8("café"), 1},
        {QString::fromUtf8("a\u00A0b"), 0},  // a non-breaking space is a blank
    };
    for (const auto& [text, result] : cases) {
        EXPECT_EQ(Check_Non_English_Message(text), result) << text.toStdString();
    }
}

}  // namespace
