#include "checks/number_checks.h"
#include "composer/import/number_import.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using namespace tesk::import;

QString Plain(const QByteArray& rtf) {
    bool ok = false;
    const QString text = Rtf_To_Plain_Text(rtf, &ok);
    EXPECT_TRUE(ok) << rtf.toStdString();
    return text;
}

TEST(RtfReader, GivesTheVisibleText) {
    struct Case {
        const char* name;
        QByteArray rtf;
        const char* text;  // UTF-8
    };
    const Case cases[] = {
        {"paragraphs and lines", "{\\rtf1 a\\par b\\line c\\page d\\sect e}", "a\nb\nc\nd\ne"},
        {"\\pard is no paragraph end", "{\\rtf1\\pard a\\pard b}", "ab"},
        {"delimiting space belongs to the word", "{\\rtf1\\b bold\\b0  x}", "bold x"},
        {"negative parameter", "{\\rtf1\\li-360 x\\fi-5y}", "xy"},
        {"huge parameter", "{\\rtf1\\fs99999999999999999999999 x}", "x"},
        {"overlong word", "{\\rtf1\\parparparparparparparparparparparpar x}", "x"},
        {"escaped braces and backslash", "{\\rtf1 a\\\\b\\{c\\}d}", "a\\b{c}d"},
        {"special spaces and hyphens", "{\\rtf1 07\\~78\\_50\\-16}", "07 78-5016"},
        {"tabs", "{\\rtf1 a\\tab b\tc}", "a\tb\tc"},
        {"named characters", "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote}",
         "\u2014\u2013\u2022\u2018\u2019"},
        {"backslash line end is a paragraph", "{\\rtf1 a\\\nb\\\r\nc}", "a\nb\nc"},
        {"raw line ends carry nothing", "{\\rtf1 07700\r\n900\n125\r}", "07700900125"},
        {"table cells and rows end lines",
         "{\\rtf1\\trowd\\cellx1000\\cellx2000 Ana\\cell +44\\cell\\row}", "Ana\n+44\n\n"},
        {"cp1252 by default", "{\\rtf1 caf\\'e9 \\'80}", "café €"},
        {"cp1250", "{\\rtf1\\ansi\\ansicpg1250 \\'e8\\'9a\\'f8}", "čšř"},
        {"double-byte code page", "{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}", "あい"},
        {"unknown code page reads as Latin-1", "{\\rtf1\\ansicpg99999 \\'e9}", "é"},
        {"raw 8-bit bytes", "{\\rtf1\\ansicpg1252 caf\xe9}", "café"},
        {"code pages repeated and returning",
         "{\\rtf1\\ansi\\ansi\\mac\\ansicpg1251\\ansi\\ansicpg1251 \\'cf\\ansi\\'e9}", "Пé"},
        {"control bytes from escapes and raw DEL are dropped",
         "{\\rtf1 0770\\'000900\\'0a12\\'0d3\\'7f4\x7f"
         "5\\u10?6\\u0?7}",
         "077009001234567"},
        {"malformed hex escape", "{\\rtf1 \\'zz1}", "zz1"},
        {"unicode with fallback", "{\\rtf1\\uc1 \\u1055?\\u1088\\'3f}", "Пр"},
        {"no fallback", "{\\rtf1\\uc0 \\u233 x}", "éx"},
        {"fallback count is per group", "{\\rtf1{\\uc2 \\u233 ab}\\u233 cd}", "ééd"},
        {"a control word ends the fallback", "{\\rtf1 \\u233\\par x}", "é\nx"},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?}", "\U0001F600"},
        {"skipped destinations",
         "{\\rtf1{\\fonttbl{\\f0 Sans;}}{\\colortbl;\\red0;}{\\stylesheet{Normal;}}"
         "{\\info{\\title 0778}}{\\header h}{\\footer f}{\\*\\generator g;}"
         "{\\*\\anything {nested 0778}}{\\pict 0778}x}",
         "x"},
        {"field shows its result", "{\\rtf1{\\field{\\*\\fldinst HYPERLINK 1}{\\fldrslt 2}}}", "2"},
        {"hidden text", "{\\rtf1 a{\\v hidden}b\\v c\\v0 d}", "abd"},
        {"binary data in a destination", "{\\rtf1 a{\\*\\blob\\bin3 }{\\}b}", "ab"},
        {"binary count past the end", "{\\rtf1 a\\bin999 xy", "a"},
        {"stray closing braces", "{\\rtf1 a}}} b", "a b"},
        {"missing closing braces", "{\\rtf1 {\\b a\\par b", "a\nb"},
        {"backslash at the very end", "{\\rtf1 a\\", "a"},
        {"hex escape cut off", "{\\rtf1 a\\'e", "a"},
        {"leading blanks", " \r\n{\\rtf1 x}", "x"},
        {"UTF-8 mark", "\xEF\xBB\xBF{\\rtf1 x}", "x"}};
    for (const Case& c : cases) {
        EXPECT_EQ(Plain(c.rtf), QString::fromUtf8(c.text)) << c.name;
    }
}

TEST(RtfReader, DeepNestingIsSurvived) {
    const QByteArray rtf = "{\\rtf1 " + QByteArray(200000, '{') + "x" + QByteArray(200000, '}') +
                           "y" + QByteArray(100, '}');
    EXPECT_EQ(Plain(rtf), "xy");
}

// --- documents as word processors write them ----------------------------------------------

QByteArray Fixture(const char* name) {
    QFile file(QStringLiteral(TESK_IMPORT_TEST_DATA "/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QStringList Candidates_Of_File(const char* name) {
    const ReadResult r =
        Read_Import_Text(QStringLiteral(TESK_IMPORT_TEST_DATA "/") + QString::fromUtf8(name));
    EXPECT_TRUE(r.ok) << name;
    QStringList got;
    For_Each_Candidate(r.text, FileKind::Rtf, [&](const QString& c) { got.append(c); });
    return got;
}

// Documents saved by two real word processors from the same page with line breaks and a table
// (its source lies beside them as numbers_table.source.html). What a user imports from each:
// every number, with its "+" and without spaces and hyphens, and nothing from the styles, fonts
// or the producer's own destinations. The second producer writes every non-Latin letter as \uN
// with a "?" fallback, accented Latin letters as \uN followed by their code-page byte, which
// must not come out twice.
TEST(RtfDocuments, SavedDocumentsGiveTheirNumbersInOrder) {
    const QString table = QStringLiteral(
        "Team contacts\n+44 7700 900111\n07700-900222\nName\nNumber\nNote\n\nZo\u00EB\n"
        "+33 6 12 34 56 78\ncalls after 6\n\n\u0394\u03B7\u03BC\u03AE\u03C4\u03C1\u03B7\u03C2\n"
        "0030 210 765 4321\n\u2014\n\n");
    const QString last = "Last: 0044 7700 900333\n";
    // "Last: ..." holds letters, so that line is no number.
    const QStringList numbers{"+447700900111", "07700900222", "+33612345678", "00302107654321"};
    const std::pair<const char*, QString> documents[] = {
        {"wordprocessor_a_table.rtf", table + "\n" + last + "\n\n\n"},
        {"wordprocessor_b_table.rtf", table + last}};
    for (const auto& [file, plain] : documents) {
        SCOPED_TRACE(file);
        EXPECT_EQ(Plain(Fixture(file)), plain);
        QStringList got;
        for (const QString& candidate : Candidates_Of_File(file)) {
            if (Check_Ph_Number(candidate, 0) == 0) {
                got.append(candidate);
            }
        }
        EXPECT_EQ(got, numbers);
    }
}

}  // namespace
