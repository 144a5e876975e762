#include "core/text_helpers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Positions are UTF-16 units; a count outside the text clamps, a start outside it gives nothing.
TEST(SubstringBounds, GiveTheDocumentedPiece) {
    const auto cuts = [](QString (*cut)(const QString&, int32_t), const char* text,
                         std::initializer_list<int32_t> positions) {
        QStringList pieces;
        for (const int32_t n : positions) {
            pieces.append(cut(QString::fromUtf8(text), n));
        }
        return pieces.join(u'|');
    };
    EXPECT_EQ(cuts(Left_Str_substringToIndex, "abc", {-2, 2, 9}), "|ab|abc");
    EXPECT_EQ(cuts(Right_Str_substringFromIndex, "abcdef", {2, -1, 60}), "ef||abcdef");
    EXPECT_EQ(cuts(Read_Str_FromIndex, "abc", {1, 4, INT32_MIN}), "bc||");
    EXPECT_EQ(cuts(Read_Str_Upto_Index, "abc", {3, 4, -1}), "abc||");
    EXPECT_EQ(cuts(Left_Str_substringToIndex, "a\xF0\x9F\x98\x80z", {3}), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(cuts(Read_Str_FromIndex, "a\xF0\x9F\x98\x80z", {3}), "z");
}

// Absent or empty parts never match; only the insensitive form ignores case.
TEST(FindStr, EmptyPartsAndCaseRules) {
    EXPECT_FALSE(Find_Str(QString(), QStringLiteral("a")));
    EXPECT_FALSE(Find_Str(QStringLiteral("abc"), QStringLiteral("")));
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
}

TEST(LineBreakMarker, CrLfRoundTripKeepsTheCarriageReturn) {
    const QString text = QStringLiteral("Dear customer,\r\nline two\nend\r");
    const QString stored = Replace_Sent_Item_and_Template_New_Line_with_Seprator(text);
    EXPECT_EQ(stored, QStringLiteral("Dear customer,\r|AP*|DX/line two|AP*|DX/end\r"));
    EXPECT_EQ(Replace_Sent_Item_and_Template_Seprator_With_New_Line(stored), text);
}

TEST(DeleteFile, RemovesFilesAndIgnoresWhatCannotBeDeleted) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.VORN"));
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    Delete_File(path);
    EXPECT_FALSE(QFile::exists(path));
    Delete_File(path);        // already gone: no effect, no crash
    Delete_File(dir.path());  // a folder is not deleted
    EXPECT_TRUE(QFile::exists(dir.path()));
}

}  // namespace
