#include "core/text_helpers.h"
#include "core/log.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Cut = QString (*)(const QString&, int32_t);

// Positions are UTF-16 units; a count outside the text clamps, a start outside it gives nothing.
TEST(SubstringBounds, GiveTheDocumentedPiece) {
    const struct {
        Cut cut;
        const char* text;
        int32_t n;
        const char* expected;
    } cases[] = {
        {Left_Str_substringToIndex, "abc", -2, ""},
        {Left_Str_substringToIndex, "abc", 2, "ab"},
        {Left_Str_substringToIndex, "abc", 9, "abc"},
        {Right_Str_substringFromIndex, "abcdef", 2, "ef"},
        {Right_Str_substringFromIndex, "abcdef", -1, ""},
        {Right_Str_substringFromIndex, "abcdef", 60, "abcdef"},
        {Read_Str_FromIndex, "abc", 1, "bc"},
        {Read_Str_FromIndex, "abc", 4, ""},
        {Read_Str_FromIndex, "abc", INT32_MIN, ""},
        {Read_Str_Upto_Index, "abc", 3, "abc"},
        {Read_Str_Upto_Index, "abc", 4, ""},
        {Read_Str_Upto_Index, "abc", -1, ""},
        {Left_Str_substringToIndex, "a\xF0\x9F\x98\x80z", 3, "a\xF0\x9F\x98\x80"},
        {Read_Str_FromIndex, "a\xF0\x9F\x98\x80z", 3, "z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.n));
        EXPECT_EQ(c.cut(QString::fromUtf8(c.text), c.n), QString::fromUtf8(c.expected));
    }
}

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
