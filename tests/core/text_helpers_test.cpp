#include "core/text_helpers.h"
#include "core/log.h"
#include "support/param_names.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Cut = QString (*)(const QString&, int32_t);

struct CutCase {
    const char* name;
    Cut cut;
    const char* text;
    int32_t n;
    const char* expected;
};

class SubstringBounds : public ::testing::TestWithParam<CutCase> {};

TEST_P(SubstringBounds, GivesTheDocumentedPiece) {
    const CutCase& c = GetParam();
    EXPECT_EQ(c.cut(QString::fromUtf8(c.text), c.n), QString::fromUtf8(c.expected)) << c.name;
}

const CutCase kCutCases[] = {
    {"left negative clamps to empty", Left_Str_substringToIndex, "abc", -2, ""},
    {"left zero", Left_Str_substringToIndex, "abc", 0, ""},
    {"left inside", Left_Str_substringToIndex, "abc", 2, "ab"},
    {"left at length", Left_Str_substringToIndex, "abc", 3, "abc"},
    {"left beyond", Left_Str_substringToIndex, "abc", 9, "abc"},
    {"left of empty", Left_Str_substringToIndex, "", 4, ""},
    {"right inside", Right_Str_substringFromIndex, "abcdef", 2, "ef"},
    {"right zero", Right_Str_substringFromIndex, "abcdef", 0, ""},
    {"right negative", Right_Str_substringFromIndex, "abcdef", -1, ""},
    {"right at length", Right_Str_substringFromIndex, "abcdef", 6, "abcdef"},
    {"right beyond", Right_Str_substringFromIndex, "abcdef", 60, "abcdef"},
    {"from inside", Read_Str_FromIndex, "abc", 1, "bc"},
    {"from zero", Read_Str_FromIndex, "abc", 0, "abc"},
    {"from at length", Read_Str_FromIndex, "abc", 3, ""},
    {"from beyond", Read_Str_FromIndex, "abc", 4, ""},
    {"from negative", Read_Str_FromIndex, "abc", -1, ""},
    {"from most negative", Read_Str_FromIndex, "abc", INT32_MIN, ""},
    {"upto at length", Read_Str_Upto_Index, "abc", 3, "abc"},
    {"upto inside", Read_Str_Upto_Index, "abc", 2, "ab"},
    {"upto zero", Read_Str_Upto_Index, "abc", 0, ""},
    {"upto beyond", Read_Str_Upto_Index, "abc", 4, ""},
    {"upto negative", Read_Str_Upto_Index, "abc", -1, ""},
    // Positions are UTF-16 units: the emoji is two of them.
    {"left splits surrogate units", Left_Str_substringToIndex, "a\xF0\x9F\x98\x80z", 3,
     "a\xF0\x9F\x98\x80"},
    {"from after surrogate pair", Read_Str_FromIndex, "a\xF0\x9F\x98\x80z", 3, "z"},
};

INSTANTIATE_TEST_SUITE_P(Helpers, SubstringBounds, ::testing::ValuesIn(kCutCases),
                         tesk::test::ByCaseName());

// Absent or empty parts never match; only the insensitive form ignores case.
TEST(FindStr, EmptyPartsAndCaseRules) {
    EXPECT_FALSE(Find_Str(QString(), QStringLiteral("a")));
    EXPECT_FALSE(Find_Str(QStringLiteral("abc"), QString()));
    EXPECT_FALSE(Find_Str(QStringLiteral("abc"), QStringLiteral("")));
    EXPECT_FALSE(Find_Str(QStringLiteral(""), QStringLiteral("")));
    EXPECT_FALSE(Find_Str_Case_Insensitive(QString(), QStringLiteral("a")));
    EXPECT_FALSE(Find_Str_Case_Insensitive(QStringLiteral("abc"), QStringLiteral("")));
    EXPECT_TRUE(Find_Str(QStringLiteral("+CMS ERROR: 500"), QStringLiteral("ERROR")));
    EXPECT_FALSE(Find_Str(QStringLiteral("+cms error: 500"), QStringLiteral("ERROR")));
    EXPECT_TRUE(
        Find_Str_Case_Insensitive(QStringLiteral("+cms error: 500"), QStringLiteral("ERROR")));
    EXPECT_FALSE(Find_Str(QStringLiteral("OK"), QStringLiteral("OKAY")));
}

TEST(TrimAndCase, TrimsUnicodeWhiteSpaceAndLineBreaks) {
    EXPECT_EQ(Trim_Str(QStringLiteral("\r\n\t OK \r\n")), QStringLiteral("OK"));
    EXPECT_EQ(Trim_Str(QString::fromUtf8("\xC2\xA0x\xE2\x80\xA8")), QStringLiteral("x"));
    EXPECT_EQ(MakeUpper(QStringLiteral("  pdu mode \n")), QStringLiteral("PDU MODE"));
    EXPECT_EQ(MakeLower(QStringLiteral(" Text MODE ")), QStringLiteral("text mode"));
    EXPECT_EQ(MakeUpper(QStringLiteral("   ")), QStringLiteral(""));
    EXPECT_EQ(MakeUpper(QString::fromUtf8(" stra\xC3\x9F"
                                          "e ")),
              QStringLiteral("STRASSE"));
}

TEST(Replace, LiteralLeftToRightWithoutOverlap) {
    const auto replace = [](const char* text, const char* from, const char* to) {
        return Replace_char_in_string(QString::fromUtf8(text), QString::fromUtf8(from),
                                      QString::fromUtf8(to));
    };
    EXPECT_EQ(replace("aaaa", "aa", "b"), QStringLiteral("bb"));
    EXPECT_EQ(replace("a.b", ".", "*"), QStringLiteral("a*b"));
    EXPECT_EQ(replace("AbA", "a", "x"), QStringLiteral("AbA"));
    EXPECT_EQ(Replace_Char_For_Valid_Number(QStringLiteral("  +44 77-85 016-005 \n")),
              QStringLiteral("+447785016005"));
    EXPECT_EQ(Replace_Char_For_Valid_Number(QStringLiteral("0 0-9 2")), QStringLiteral("0092"));
}

TEST(LineBreakMarker, CrLfRoundTripKeepsTheCarriageReturn) {
    const QString text = QStringLiteral("Dear customer,\r\nline two\nend\r");
    const QString stored = Replace_Sent_Item_and_Template_New_Line_with_Seprator(text);
    EXPECT_EQ(stored, QStringLiteral("Dear customer,\r|AP*|DX/line two|AP*|DX/end\r"));
    EXPECT_FALSE(stored.contains(QLatin1Char('\n')));
    EXPECT_EQ(Replace_Sent_Item_and_Template_Seprator_With_New_Line(stored), text);
}

TEST(DeleteFile, RemovesFilesAndIgnoresWhatCannotBeDeleted) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.VORN"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Delete_File(path);
    EXPECT_FALSE(QFile::exists(path));
    Delete_File(path);        // already gone: no effect, no crash
    Delete_File(dir.path());  // a folder is not deleted
    EXPECT_TRUE(QFile::exists(dir.path()));
}

TEST(NsLog, PrefixTrimAndLengthRule) {
    tesk::log::Capture capture;
    Show_NSLog_Message(QStringLiteral(""));
    Show_NSLog_Message(QStringLiteral("   \n"));
    Show_NSLog_Message(QStringLiteral("x"));
    Show_NSLog_Message(QStringLiteral("  port open \r\n"));
    EXPECT_EQ(capture.lines(),
              QStringList({QStringLiteral("NSLOG : x"), QStringLiteral("NSLOG :   port open")}));
}

}  // namespace
