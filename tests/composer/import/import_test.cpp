#include "checks/number_checks.h"
#include "composer/import/number_import.h"
#include "support/param_names.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ostream>

namespace {

using namespace tesk::import;

QStringList Candidates(const QString& text, FileKind kind) {
    QStringList got;
    For_Each_Candidate(text, kind, [&](const QString& c) { got.append(c); });
    return got;
}

QStringList Pasted(const QString& text) {
    QStringList got;
    For_Each_Pasted_Candidate(text, [&](const QString& c) { got.append(c); });
    return got;
}

class ImportFiles : public ::testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
    QTemporaryDir dir_;
};

// --- kinds ---------------------------------------------------------------------------------

struct KindCase {
    const char* name;
    const char* path;
    FileKind kind;
};
void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.path;
}

class KindOf : public ::testing::TestWithParam<KindCase> {};

TEST_P(KindOf, FollowsTheExtensionInAnyCase) {
    EXPECT_EQ(Kind_Of(QString::fromUtf8(GetParam().path)), GetParam().kind) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, KindOf,
    ::testing::Values(KindCase{"csv", "/tmp/list.csv", FileKind::Csv},
                      KindCase{"csv upper case", "/tmp/LIST.CSV", FileKind::Csv},
                      KindCase{"rtf mixed case", "/tmp/list.Rtf", FileKind::Rtf},
                      KindCase{"txt", "/tmp/list.txt", FileKind::Text},
                      KindCase{"no extension", "/tmp/list", FileKind::Text},
                      KindCase{"csv folder", "/tmp/a.csv/list", FileKind::Text},
                      KindCase{"last extension txt", "/tmp/list.csv.txt", FileKind::Text},
                      KindCase{"last extension rtf", "/tmp/list.txt.rtf", FileKind::Rtf}),
    tesk::test::ByCaseName());

// --- cleaning agrees with the shared helper ------------------------------------------------

struct CleanCase {
    const char* name;
    const char* text;  // UTF-8
};
void PrintTo(const CleanCase& c, std::ostream* os) {
    *os << c.name;
}

class Cleaning : public ::testing::TestWithParam<CleanCase> {};

// The one candidate a cleaned piece gives: none when it is empty or holds more than 20
// characters besides white space.
QStringList Within_Length(const QString& cleaned) {
    const auto solid =
        std::count_if(cleaned.begin(), cleaned.end(), [](QChar c) { return !c.isSpace(); });
    return cleaned.isEmpty() || solid > 20 ? QStringList() : QStringList{cleaned};
}

// The reader cleans each piece in its own buffers and drops what is too long before cleaning;
// what comes out must be what the acceptance rules make of the piece.
TEST_P(Cleaning, TextLinesAndCsvFieldsMatchTheHelperAfterBraceRemoval) {
    const QString line = QString::fromUtf8(GetParam().text);
    QString expected = line;
    expected.remove(u'\\').remove(u'{').remove(u'}');
    const QStringList one = Within_Length(Clean_Number_Form(expected));
    EXPECT_EQ(Candidates(line, FileKind::Text), one);
    if (!line.contains(u',') && !line.contains(u'"') && !line.contains(u'\r')) {
        EXPECT_EQ(Candidates(line, FileKind::Csv), one);
    }
}

TEST_P(Cleaning, PastedPiecesMatchTheHelper) {
    const QString piece = QString::fromUtf8(GetParam().text);
    EXPECT_EQ(Pasted(piece), Within_Length(Clean_Number_Form(piece)));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Cleaning,
    ::testing::Values(
        CleanCase{"plus spaces hyphens", "+44 7785-016 005"},
        CleanCase{"blanks and CR", "  07785016005\r"},
        CleanCase{"tab and vertical tab", "\t 0778 \v"}, CleanCase{"RTF leftovers", "{\\b 0778}"},
        CleanCase{"only spaces and hyphens", " - - "}, CleanCase{"empty", ""},
        CleanCase{"letters", "a b-c"},
        CleanCase{"no-break space",
                  "\xC2\xA0"
                  "0778\xC2\xA0"
                  "5016"},
        CleanCase{"em space", "0778\xE2\x80\x83"}, CleanCase{"hyphens around plus", "--+44--"},
        CleanCase{"backslash and braces inside", "x\\{y}z"}, CleanCase{"only CR", "\r"},
        CleanCase{"parentheses and trunk zero", "+44 (0)20 7946 0018"},
        CleanCase{"dots", "06.12.34.56.78"}, CleanCase{"date", "01.02.2024"},
        CleanCase{"spreadsheet formula text", "=\"07785016005\""},
        CleanCase{"apostrophe", "'07785016005"}, CleanCase{"scientific notation", "4.47911E+11"},
        CleanCase{"twenty characters written at length", "=\"+44 (0) 77.00.90.01.23.45.67.89.0\""},
        CleanCase{"twenty-one digits written at length", "=\"+44 (0) 77.00.90.01.23.45.67.89.01\""},
        CleanCase{"twenty digits between dots", "1.2.3.4.5.6.7.8.9.0.1.2.3.4.5.6.7.8.9.0"}),
    tesk::test::ByCaseName());

// --- CSV -----------------------------------------------------------------------------------

struct LineEndCase {
    const char* name;
    const char* text;
};
void PrintTo(const LineEndCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(CsvLineEnds, AllGiveTheSameFields) {
    EXPECT_EQ(Candidates(QString::fromUtf8(GetParam().text), FileKind::Csv),
              (QStringList{"Ann", "07785016005", "hi", "Bob", "07785016006", "yo", "Cy", "0778"}))
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CsvLineEnds,
    ::testing::Values(LineEndCase{"CR LF",
                                  "Ann,07785016005,hi\r\nBob,07785016006,yo\r\nCy,0778\r\n"},
                      LineEndCase{"CR", "Ann,07785016005,hi\rBob,07785016006,yo\rCy,0778\r"},
                      LineEndCase{"LF", "Ann,07785016005,hi\nBob,07785016006,yo\nCy,0778"},
                      LineEndCase{"mixed", "Ann,07785016005,hi\rBob,07785016006,yo\nCy,0778\r\n"},
                      LineEndCase{"blank lines",
                                  "\r\nAnn,07785016005,hi\n\n\rBob,07785016006,yo"
                                  "\r\n\r\nCy,0778\n\n"}),
    tesk::test::ByCaseName());

struct HeaderCase {
    const char* name;
    const char* text;
    QStringList candidates;
    QString column;  // CandidateNotes::phoneColumn
    QChar separator = u',';
};
void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(CsvHeaders, NamedPhoneColumnIsReadAlone) {
    QStringList got;
    CandidateNotes notes;
    For_Each_Candidate(
        QString::fromUtf8(GetParam().text), FileKind::Csv, [&](const QString& c) { got.append(c); },
        nullptr, &notes);
    EXPECT_EQ(got, GetParam().candidates);
    EXPECT_EQ(notes.phoneColumn, GetParam().column);
    EXPECT_EQ(notes.separator, GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CsvHeaders,
    ::testing::Values(
        HeaderCase{"contacts with ids dates and times",
                   "id,date,time,name,Mobile Phone\n1,20240102,1230,Ann,+44 7785 016005\n"
                   "2,20240103,0915,Bob,07785016006\n",
                   {"+447785016005", "07785016006"},
                   "Mobile Phone"},
        HeaderCase{"quoted header in another language",
                   "\"N\u00BA\",\"Nombre\",\" Tel\u00E9fono \"\r\n1,Ana,0778 5016005\r\n2,Luis\r\n",
                   {"07785016005"},
                   "Teléfono"},
        HeaderCase{"compound word",
                   "Name,Telefonnummer\nAnna,0151 2345678",
                   {"01512345678"},
                   "Telefonnummer"},
        HeaderCase{"phone word before number word",
                   "Order Number,Tel.\n1234,07785016005",
                   {"07785016005"},
                   "Tel."},
        HeaderCase{"number word alone", "Name,Number\nAnn,07785016005", {"07785016005"}, "Number"},
        HeaderCase{"single column without header",
                   "07785016005\n+44 7785 016006\r\n07785016007",
                   {"07785016005", "+447785016006", "07785016007"},
                   ""},
        HeaderCase{"words inside other words name nothing",
                   "hotel,cellar\nx,0778",
                   {"hotel", "cellar", "x", "0778"},
                   ""}),
    tesk::test::ByCaseName());

// Spreadsheets in most European locales separate fields with ";" (the comma is their decimal
// mark), and "text" exports use tabs. The first record decides, quoted fields read as fields.
INSTANTIATE_TEST_SUITE_P(
    Separators, CsvHeaders,
    ::testing::Values(
        HeaderCase{"semicolons with a phone header",
                   "Name;Telefon;Betrag\r\nAnna;0151 2345678;12,50\r\nBen;0151-2345679;3,00\r\n",
                   {"01512345678", "01512345679"},
                   "Telefon",
                   u';'},
        HeaderCase{"semicolons without header",
                   "Ann;+44 7785 016005;Hi, you\nBob;07785016006;x",
                   {"Ann", "+447785016005", "Hi,you", "Bob", "07785016006", "x"},
                   "",
                   u';'},
        HeaderCase{"tabs with a phone header",
                   "Name\tMobile\nAnn\t07785 016005\nBob\t\"07785016006\"\n",
                   {"07785016005", "07785016006"},
                   "Mobile",
                   u'\t'},
        HeaderCase{"commas inside quotes do not count",
                   "\"Lee, Ann, Dr\";\"0778 5016005\"\nBob;07785016006",
                   {"Lee,Ann,Dr", "07785016005", "Bob", "07785016006"},
                   "",
                   u';'},
        HeaderCase{"semicolons inside quotes do not count",
                   "\"a;b;c\",07785016005\nd;e,07785016006",
                   {"a;b;c", "07785016005", "d;e", "07785016006"},
                   "",
                   u','},
        HeaderCase{"a tie keeps the comma", "a;b,0778\n", {"a;b", "0778"}, "", u','},
        HeaderCase{"a sep line names the separator and is no record",
                   "sep=;\r\nName;Phone,work\r\nAnn;0778 5016005\r\n",
                   {"07785016005"},
                   "Phone,work",
                   u';'}),
    tesk::test::ByCaseName());

struct QuoteCase {
    const char* name;
    const char* text;
    QStringList fields;
};
void PrintTo(const QuoteCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvQuotes : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(CsvQuotes, AreUnwrapped) {
    EXPECT_EQ(Candidates(QString::fromUtf8(GetParam().text), FileKind::Csv), GetParam().fields)
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvQuotes,
    ::testing::Values(
        QuoteCase{"comma inside",
                  "\"Lee, Ann\",\"+44 7785 016005\",x\n",
                  {"Lee,Ann", "+447785016005", "x"}},
        QuoteCase{"doubled quote", "\"say \"\"hi\"\"\",0778\n", {"say\"hi\"", "0778"}},
        QuoteCase{"line end inside",
                  "\"Hi\r\nthere\",0778\r\nBob,0779",
                  {"Hi\r\nthere", "0778", "Bob", "0779"}},
        QuoteCase{"blank before quote, text after", " \"0778\" 5 ,x", {"07785", "x"}},
        QuoteCase{"empty quoted field", "\"\",0778", {"0778"}},
        QuoteCase{"quote inside a plain field", "07\"78,x", {"07\"78", "x"}},
        QuoteCase{"never closed",
                  "\"Ann,07785016005\n07785016006",
                  {"\"Ann", "07785016005", "07785016006"}},
        QuoteCase{
            "never closed after doubled quote", "\"a\"\",0778\n0779", {"\"a\"\"", "0778", "0779"}},
        QuoteCase{"empty fields dropped", "a,,b,\n,\n", {"a", "b"}}),
    tesk::test::ByCaseName());

// --- pasted blocks -------------------------------------------------------------------------

TEST(PastedCandidates, SpreadsheetColumnsAreSplitAtTabs) {
    EXPECT_EQ(Pasted("Name\tNumber\tNote\nAnn\t+44 7785 016005\tx y\r\nBob\t07785-016006\t\n"
                     "07785016007\n"),
              (QStringList{"Name", "Number", "Note", "Ann", "+447785016005", "xy", "Bob",
                           "07785016006", "07785016007"}));
}

TEST(PastedCandidates, BracesAreKeptForTheAcceptanceRulesToJudge) {
    EXPECT_EQ(Pasted("{0778}"), QStringList{"{0778}"});
}

// --- decoding ------------------------------------------------------------------------------

QByteArray Encoded(QStringConverter::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class Decoding : public ImportFiles, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(Decoding, ByteOrderMarksAreHonouredAndDropped) {
    const QString path = Write("list.csv", GetParam().bytes);
    const ReadResult r = Read_Import_Text(path);
    ASSERT_TRUE(r.ok) << GetParam().name;
    EXPECT_EQ(r.text, QStringLiteral("Zo\u00EB,+44 7785 016005\r\n")) << GetParam().name;
    EXPECT_EQ(Candidates(r.text, FileKind::Csv), (QStringList{"Zo\u00EB", "+447785016005"}));
}

const QString kSample = QStringLiteral("Zo\u00EB,+44 7785 016005\r\n");

INSTANTIATE_TEST_SUITE_P(
    Boms, Decoding,
    ::testing::Values(DecodeCase{"no mark", kSample.toUtf8()},
                      DecodeCase{"Windows-1252 without a mark", "Zo\xEB,+44 7785 016005\r\n"},
                      DecodeCase{"UTF-8 mark", "\xEF\xBB\xBF" + kSample.toUtf8()},
                      DecodeCase{"UTF-16LE", Encoded(QStringConverter::Utf16LE, kSample)},
                      DecodeCase{"UTF-16BE", Encoded(QStringConverter::Utf16BE, kSample)},
                      DecodeCase{"UTF-32LE", Encoded(QStringConverter::Utf32LE, kSample)},
                      DecodeCase{"UTF-32BE", Encoded(QStringConverter::Utf32BE, kSample)}),
    tesk::test::ByCaseName());

// Without a mark, bytes that are no valid UTF-8 are Windows-1252, and all of them read.
TEST_F(ImportFiles, InvalidUtf8IsReadAsWindows1252) {
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {QByteArray("0778\xC3\x28 5016\n"), QStringLiteral("0778\u00C3( 5016\n")},
        {QByteArray("a,\x80,b"), QStringLiteral("a,\u20AC,b")},
        {QByteArray("0778\xE2\x82"), QStringLiteral("0778\u00E2\u201A")},
        {QByteArray("\xC0\xAF"), QStringLiteral("\u00C0\u00AF")},
        {QByteArray("0778\xED\xA0\x80\n"), QStringLiteral("0778\u00ED\u00A0\u20AC\n")},
        {QByteArray("\x81\x8D\x8F\x90\x9D\x96\x9F\xA0\xFF"),
         QStringLiteral("\u0081\u008D\u008F\u0090\u009D\u2013\u0178\u00A0\u00FF")},
    };
    for (const auto& c : cases) {
        const ReadResult r = Read_Import_Text(Write("list.txt", c.bytes));
        EXPECT_TRUE(r.ok) << c.bytes.toHex().toStdString();
        EXPECT_EQ(r.text, c.text) << c.bytes.toHex().toStdString();
    }
    // The code page's no-break space and en dash lay a number out like a space and a hyphen.
    EXPECT_EQ(Candidates(Read_Import_Text(Write("n.csv",
                                                "Jos\xE9;0778\xA0"
                                                "501\x96"
                                                "6005\r\n"))
                             .text,
                         FileKind::Csv),
              (QStringList{"Jos\u00E9", "07785016005"}));
}

// --- bad input -----------------------------------------------------------------------------

struct BadFileCase {
    const char* name;
    const char* file;
    QByteArray bytes;
};
void PrintTo(const BadFileCase& c, std::ostream* os) {
    *os << c.name;
}

class BadFiles : public ImportFiles, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadFiles, AreRefusedWithoutText) {
    const QString path = Write(QString::fromUtf8(GetParam().file), GetParam().bytes);
    const ReadResult r = Read_Import_Text(path);
    EXPECT_FALSE(r.ok) << GetParam().name;
    EXPECT_TRUE(r.text.isEmpty()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFiles,
    ::testing::Values(BadFileCase{"empty", "empty.txt", QByteArray()},
                      BadFileCase{"binary image", "pic.txt",
                                  QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01", 20)},
                      BadFileCase{"NUL bytes", "nul.txt", QByteArray("0778\0\0\0", 7)},
                      BadFileCase{"UTF-16 without a mark", "wide.txt",
                                  QByteArray("0\0"
                                             "7\0"
                                             "7\0",
                                             6)},
                      BadFileCase{"UTF-16 odd length", "odd.txt",
                                  QByteArray("\xFF\xFE"
                                             "0\0"
                                             "7",
                                             5)},
                      BadFileCase{"UTF-16 lone surrogate", "sur.txt",
                                  QByteArray("\xFF\xFE\x00\xD8"
                                             "0\0",
                                             6)},
                      BadFileCase{"UTF-16 low surrogate first", "low.txt",
                                  QByteArray("\xFE\xFF\xDC\x00\xD8\x00", 6)},
                      BadFileCase{"UTF-16 high surrogate at the end", "end.txt",
                                  QByteArray("\xFF\xFE"
                                             "0\0\x3D\xD8",
                                             6)},
                      BadFileCase{"UTF-32 cut unit", "cut32.txt",
                                  QByteArray("\xFF\xFE\0\0"
                                             "0\0\0\0"
                                             "7\0",
                                             10)},
                      BadFileCase{"UTF-32 surrogate code point", "sur32.txt",
                                  QByteArray("\0\0\xFE\xFF\0\0\xD8\x00", 8)},
                      BadFileCase{"only a mark", "bom.txt", QByteArray("\xEF\xBB\xBF")},
                      BadFileCase{"UTF-8 mark before invalid UTF-8", "marked.csv",
                                  QByteArray("\xEF\xBB\xBFZo\xEB,0778\n")},
                      BadFileCase{"RTF name, no RTF", "list.rtf", QByteArray("07785016005\n")},
                      BadFileCase{"RTF cut before its header", "cut.rtf", QByteArray("{\\rt")}),
    tesk::test::ByCaseName());

TEST_F(ImportFiles, DirectoryMissingPathAndSpecialFilesAreRefused) {
    // The suite runs as root, which reads any file whatever its mode; "cannot be read" is
    // provoked with paths that are no regular files instead.
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.txt"));
    const QString fifo = dir_.filePath("pipe.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);  // opening would block
    for (const QString& path : {dir_.filePath("folder.txt"), dir_.filePath("missing.txt"), fifo,
                                QStringLiteral("/dev/zero"), QString()}) {
        const ReadResult r = Read_Import_Text(path);
        EXPECT_FALSE(r.ok) << path.toStdString();
        EXPECT_TRUE(r.text.isEmpty()) << path.toStdString();
    }
}

TEST_F(ImportFiles, HundredMegabyteSingleLineIsReadButGivesNoCandidate) {
    const qsizetype size = qsizetype{100} << 20;
    const QString path = Write("huge.txt", QByteArray(size, '7'));
    const ReadResult r = Read_Import_Text(path);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.text.size(), size);
    // Far too long for a number, so it is not handed on; a short line after it still is.
    QStringList seen;
    const auto collect = [&](const QString& c) { seen.append(c.left(30)); };
    For_Each_Candidate(r.text, FileKind::Text, collect);
    EXPECT_TRUE(seen.isEmpty());
    For_Each_Candidate(r.text + QStringLiteral("\n 0770-0900 001 "), FileKind::Csv, collect);
    EXPECT_EQ(seen, QStringList{QStringLiteral("07700900001")});
}

TEST_F(ImportFiles, RtfWithUnbalancedBracesStillGivesItsText) {
    const QString path =
        Write("open.rtf", "{\\rtf1\\ansi{\\b 07785016005\\par}} 07785016006\\par{");
    const ReadResult r = Read_Import_Text(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(Candidates(r.text, FileKind::Rtf), (QStringList{"07785016005", "07785016006"}));
}

// --- cancelling ----------------------------------------------------------------------------

struct CancelCase {
    const char* name;
    FileKind kind;
};
void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class Cancelling : public ::testing::TestWithParam<CancelCase> {};

TEST_P(Cancelling, StopsAtTheNextLine) {
    QString text;
    for (int i = 0; i < 1000; ++i) {
        text += QStringLiteral("0778501%1,x\r\n").arg(i, 4, 10, QChar(u'0'));
    }
    std::atomic<bool> cancel{false};
    int seen = 0;
    For_Each_Candidate(
        text, GetParam().kind,
        [&](const QString&) {
            if (++seen == 3) {
                cancel = true;
            }
        },
        &cancel);
    // CSV gives two fields per line; the line under way finishes, no further line starts.
    EXPECT_EQ(seen, GetParam().kind == FileKind::Csv ? 4 : 3);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Cancelling,
                         ::testing::Values(CancelCase{"text", FileKind::Text},
                                           CancelCase{"csv", FileKind::Csv}),
                         tesk::test::ByCaseName());

TEST_F(ImportFiles, CancelledReadGivesNoText) {
    const QString path = Write("list.txt", "07785016005\n");
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Read_Import_Text(path, &cancel).ok);
    EXPECT_TRUE(Read_Import_Text(path).ok);
}

}  // namespace
