#include "checks/number_checks.h"
#include "composer/import/number_import.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

using namespace tesk::import;

QStringList Candidates(const QString& text, FileKind kind, CandidateNotes* notes = nullptr) {
    QStringList got;
    For_Each_Candidate(
        text, kind, [&](const QString& c) { got.append(c); }, nullptr, notes);
    return got;
}

QStringList Pasted(const QString& text) {
    QStringList got;
    For_Each_Pasted_Candidate(text, [&](const QString& c) { got.append(c); });
    return got;
}

const auto Write = tesk::test::Write_Test_File;

TEST(KindOf, FollowsTheLastExtensionInAnyCase) {
    const std::pair<const char*, FileKind> cases[] = {{"/tmp/LIST.CSV", FileKind::Csv},
                                                      {"/tmp/list.Rtf", FileKind::Rtf},
                                                      {"/tmp/a.csv/list", FileKind::Text},
                                                      {"/tmp/list.csv.txt", FileKind::Text}};
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(Kind_Of(QString::fromUtf8(path)), kind) << path;
    }
}

// The one candidate a cleaned piece gives: none when it is empty or holds more than 20
// characters besides white space.
QStringList Within_Length(const QString& cleaned) {
    const auto solid =
        std::count_if(cleaned.begin(), cleaned.end(), [](QChar c) { return !c.isSpace(); });
    return cleaned.isEmpty() || solid > 20 ? QStringList() : QStringList{cleaned};
}

// The reader cleans each piece in its own buffers and drops what is too long before cleaning;
// what comes out of a text line, a CSV field or a pasted piece must be what the acceptance
// rules make of it (lines and fields lose RTF's braces and backslashes first). The helper's own
// forms (spreadsheet marks, trunk zeros, scientific notation) are its suite's; one row shows
// that it is applied.
TEST(Cleaning, LinesFieldsAndPastedPiecesMatchTheSharedHelper) {
    // The last three: 20 digits and a plus written at length, 21 digits, 20 digits between dots.
    const char* const cases[] = {"+44 7785-016 005",
                                 "  07785016005\r",
                                 "{\\b 0778}",
                                 " - - ",
                                 "a b-c",
                                 "\302\2400778\302\2405016",
                                 "x\\{y}z",
                                 "=\"+44 (0) 77.00.90.01.23.45.67.89.0\"",
                                 "=\"+44 (0) 77.00.90.01.23.45.67.89.01\"",
                                 "1.2.3.4.5.6.7.8.9.0.1.2.3.4.5.6.7.8.9.0"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        const QString line = QString::fromUtf8(text);
        QString unbraced = line;
        unbraced.remove(u'\\').remove(u'{').remove(u'}');
        const QStringList one = Within_Length(Clean_Number_Form(unbraced));
        EXPECT_EQ(Candidates(line, FileKind::Text), one);
        if (!line.contains(u',') && !line.contains(u'"') && !line.contains(u'\r')) {
            EXPECT_EQ(Candidates(line, FileKind::Csv), one);
        }
        EXPECT_EQ(Pasted(line), Within_Length(Clean_Number_Form(line)));
    }
}

// Spreadsheets in most European locales separate fields with ";" (the comma is their decimal
// mark), and "text" exports use tabs. The first record decides, quoted fields read as fields.
TEST(Csv, ANamedPhoneColumnIsReadAloneAndTheFirstRecordPicksTheSeparator) {
    struct Case {
        const char* text;
        QStringList candidates;
        QString column;
        QChar separator = u',';
    };
    const Case cases[] = {
        {"id,date,time,name,Mobile Phone\n1,20240102,1230,Ann,+44 7785 016005\n"
         "2,20240103,0915,Bob,07785016006\n",
         {"+447785016005", "07785016006"},
         "Mobile Phone"},
        {"\"N\u00BA\",\"Nombre\",\" Tel\u00E9fono \"\r\n1,Ana,0778 5016005\r\n2,Luis\r\n",
         {"07785016005"},
         "Teléfono"},
        {"Order Number,Tel.\n1234,07785016005", {"07785016005"}, "Tel."},
        {"0778\n+44 77\r\n0779", {"0778", "+4477", "0779"}, ""},
        {"hotel,cellar\nx,0778", {"hotel", "cellar", "x", "0778"}, ""},  // words inside words
        {"N;Telefon;B\r\nA;0151 2345678;12,50\r\n", {"01512345678"}, "Telefon", u';'},
        {"A;+44 77;Hi, you\n", {"A", "+4477", "Hi,you"}, "", u';'},
        {"N\tMobile\nA\t0778 5\nB\t\"0779\"\n", {"07785", "0779"}, "Mobile", u'\t'},
        {"a;b,0778\n", {"a;b", "0778"}, ""},  // a tie keeps the comma
        {"sep=;\r\nName;Phone,work\r\nAnn;0778 5016005\r\n", {"07785016005"}, "Phone,work", u';'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CandidateNotes notes;
        EXPECT_EQ(Candidates(QString::fromUtf8(c.text), FileKind::Csv, &notes), c.candidates);
        EXPECT_EQ(notes.phoneColumn, c.column);
        EXPECT_EQ(notes.separator, c.separator);
    }
}

TEST(Csv, QuotedFieldsAreUnwrapped) {
    const std::pair<const char*, QStringList> cases[] = {
        {"\"Lee, Ann\",\"+44 7785 016005\",x\n", {"Lee,Ann", "+447785016005", "x"}},
        {"\"say \"\"hi\"\"\",0778\n", {"say\"hi\"", "0778"}},
        {"\"Hi\r\nthere\",0778\r\nBob,0779", {"Hi\r\nthere", "0778", "Bob", "0779"}},
        {" \"0778\" 5 ,x", {"07785", "x"}},
        {"\"Ann,07785016005\n07785016006", {"\"Ann", "07785016005", "07785016006"}},  // unclosed
        {"\"a\"\",0778\n0779", {"\"a\"\"", "0778", "0779"}},
        {"a,,b,\n,\n", {"a", "b"}},
        {"\r\nAnn,0778\rBob,0779\n\n\rCy\r\n", {"Ann", "0778", "Bob", "0779", "Cy"}}};
    for (const auto& [text, fields] : cases) {
        EXPECT_EQ(Candidates(QString::fromUtf8(text), FileKind::Csv), fields) << text;
    }
}

QByteArray Encoded(QStringConverter::Encoding encoding, const QString& text) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

TEST(ReadImportText, ByteOrderMarksAreHonouredAndDropped) {
    QTemporaryDir dir;
    const QString sample = QStringLiteral("Zo\u00EB,+44 7785 016005\r\n");
    for (const QByteArray& bytes :
         {sample.toUtf8(), QByteArray("Zo\xEB,+44 7785 016005\r\n"),
          "\xEF\xBB\xBF" + sample.toUtf8(), Encoded(QStringConverter::Utf16LE, sample),
          Encoded(QStringConverter::Utf16BE, sample), Encoded(QStringConverter::Utf32LE, sample),
          Encoded(QStringConverter::Utf32BE, sample)}) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const ReadResult r = Read_Import_Text(Write(dir, "list.csv", bytes));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.text, sample);
        EXPECT_EQ(Candidates(r.text, FileKind::Csv), (QStringList{"Zo\u00EB", "+447785016005"}));
    }
}

// Without a mark, bytes that are no valid UTF-8 are Windows-1252, and all of them read.
TEST(ReadImportText, InvalidUtf8IsReadAsWindows1252) {
    QTemporaryDir dir;
    const std::pair<QByteArray, QString> cases[] = {
        {"0778\xC3\x28 5016\n", QStringLiteral("0778\u00C3( 5016\n")},
        {"a,\x80,b", QStringLiteral("a,\u20AC,b")},
        {"\x81\x8D\x8F\x90\x9D\x96\x9F\xA0\xFF",
         QStringLiteral("\u0081\u008D\u008F\u0090\u009D\u2013\u0178\u00A0\u00FF")},
    };
    for (const auto& [bytes, text] : cases) {
        const ReadResult r = Read_Import_Text(Write(dir, "list.txt", bytes));
        EXPECT_TRUE(r.ok) << bytes.toHex().toStdString();
        EXPECT_EQ(r.text, text) << bytes.toHex().toStdString();
    }
    // The code page's no-break space and en dash lay a number out like a space and a hyphen.
    const QString path = Write(dir, "n.csv",
                               "Jos\xE9;0778\xA0"
                               "501\x96"
                               "6005\r\n");
    EXPECT_EQ(Candidates(Read_Import_Text(path).text, FileKind::Csv),
              (QStringList{"Jos\u00E9", "07785016005"}));
}

TEST(ReadImportText, BadFilesAndPathsAreRefusedWithoutText) {
    QTemporaryDir dir;
    const std::pair<const char*, QByteArray> files[] = {
        {"empty.txt", QByteArray()},
        {"pic.txt", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01", 20)},
        {"wide.txt", QByteArray("0\0007\0007\000", 6)},       // UTF-16 without a mark
        {"odd.txt", QByteArray("\377\3760\0007", 5)},         // UTF-16 odd length
        {"sur.txt", QByteArray("\377\376\000\3300\000", 6)},  // lone surrogate
        {"sur32.txt", QByteArray("\0\0\xFE\xFF\0\0\xD8\x00", 8)},
        {"bom.txt", QByteArray("\xEF\xBB\xBF")},
        {"marked.csv", QByteArray("\xEF\xBB\xBFZo\xEB,0778\n")},  // mark before invalid UTF-8
        {"list.rtf", QByteArray("07785016005\n")},
        {"cut.rtf", QByteArray("{\\rt")}};
    QStringList paths;
    for (const auto& [name, bytes] : files) {
        paths.append(Write(dir, QString::fromUtf8(name), bytes));
    }
    // The suite runs as root, which reads any file whatever its mode; "cannot be read" is
    // provoked with paths that are no regular files instead.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    const QString fifo = dir.filePath("pipe.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);  // opening would block
    paths << dir.filePath("folder.txt") << dir.filePath("missing.txt") << fifo << "/dev/zero"
          << QString();
    for (const QString& path : paths) {
        const ReadResult r = Read_Import_Text(path);
        EXPECT_FALSE(r.ok) << path.toStdString();
        EXPECT_TRUE(r.text.isEmpty()) << path.toStdString();
    }
}

// The line under way finishes (CSV gives two fields per line), no further line starts.
TEST(Cancelling, StopsAtTheNextLineAndAReadGivesNoText) {
    QString text;
    for (int i = 0; i < 1000; ++i) {
        text += QStringLiteral("0778501%1,x\r\n").arg(i, 4, 10, QChar(u'0'));
    }
    for (const auto& [kind, expected] : {std::pair{FileKind::Text, 3}, {FileKind::Csv, 4}}) {
        std::atomic<bool> cancel{false};
        int seen = 0;
        For_Each_Candidate(
            text, kind, [&](const QString&) { cancel = ++seen == 3 || cancel; }, &cancel);
        EXPECT_EQ(seen, expected);
    }
    QTemporaryDir dir;
    const QString path = Write(dir, "list.txt", "07785016005\n");
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Read_Import_Text(path, &cancel).ok);
    EXPECT_TRUE(Read_Import_Text(path).ok);
}

}  // namespace
