// The user guide generator, on the real guide source and on small sources made for the test:
// the library called directly and the program run as a child process.
#include "help-pdf/help_pdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tesk::help::Heading;
using tesk::help::Result;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data);
}

// Page objects of a complete PDF (not the /Pages tree node); -1 when the file is cut short.
int countPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF")) {
        return -1;
    }
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

// A small guide source: a title page and `chapters` short chapters with one section each, the
// first showing a picture that is not there.
void writeSource(const QString& dir, int chapters) {
    QDir().mkpath(dir);
    writeFile(dir + QStringLiteral("/title.html"), "<p>Test guide</p>");
    for (int i = 1; i <= chapters; ++i) {
        const QByteArray n = QByteArray::number(i);
        writeFile(dir + QStringLiteral("/%1-chapter.html").arg(i, 2, 10, QLatin1Char('0')),
                  "<h1>Chapter " + n + "</h1><p>Text.</p><h2>Section " + n + "</h2><p>More.</p>" +
                      (i == 1 ? "<p><img src=\"composer.png\"></p>" : ""));
    }
}

TEST(HelpPdf, RealGuideHasEveryChapterOnItsPageAndItsScreenshots) {
    QTemporaryDir out;
    const QString pdfPath = out.filePath(QStringLiteral("Help.pdf"));
    const Result result = tesk::help::Write_Help_Pdf(QStringLiteral(HELP_SOURCE_DIR),
                                                     QStringLiteral(HELP_IMAGE_DIR), pdfPath);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(countPages(readAll(pdfPath)), result.pageCount);
    QStringList titles;
    int previous = 2;  // title page and at least one page of contents come first
    for (const Heading& heading : result.headings) {
        if (heading.level == 1) {
            titles.append(heading.title);
            EXPECT_EQ(heading.number, QString::number(titles.size()));
            EXPECT_GT(heading.page, previous) << heading.title.toStdString();
        }
        EXPECT_GE(heading.page, previous) << "a section before its chapter's page";
        EXPECT_LE(heading.page, result.pageCount);
        previous = heading.page;
    }
    EXPECT_EQ(titles,
              (QStringList{"Getting started", "GSM mode", "Android mode", "The composer",
                           "Exclusion lists", "Templates", "Sending", "Sent items and reports",
                           "The command line", "Rehearsing without hardware", "Troubleshooting"}));
    // The build ran the window gallery before the test, so every picture must be there.
    EXPECT_GE(result.images.size(), 5);
    EXPECT_TRUE(result.missingImages.isEmpty()) << result.missingImages.join(u' ').toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Help.pdf"});
}

TEST(HelpPdf, EachChapterStartsOnANewPageAfterTheContents) {
    QTemporaryDir dir;
    writeSource(dir.filePath(QStringLiteral("source")), 3);
    const Result result =
        tesk::help::Write_Help_Pdf(dir.filePath(QStringLiteral("source")), dir.path(),
                                   dir.filePath(QStringLiteral("guide.pdf")));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    QStringList headings;
    for (const Heading& heading : result.headings) {
        headings.append(
            QStringLiteral("%1 %2 p%3").arg(heading.number, heading.title).arg(heading.page));
    }
    // Page 1 is the title, page 2 the contents, then one page per chapter.
    EXPECT_EQ(headings, (QStringList{"1 Chapter 1 p3", "1.1 Section 1 p3", "2 Chapter 2 p4",
                                     "2.1 Section 2 p4", "3 Chapter 3 p5", "3.1 Section 3 p5"}));
    EXPECT_EQ(countPages(readAll(dir.filePath(QStringLiteral("guide.pdf")))), 5);
}

// The program as the build runs it: exit code, what it says, and what it leaves in the folder
// of the guide (an older guide stays when the run fails).
TEST(HelpPdf, TheProgramReportsFailuresAndKeepsTheOlderGuide) {
    struct Case {
        const char* name;
        int chapters;           // -1: no source folder at all
        QStringList arguments;  // empty: SOURCE IMAGES OUT/Help.pdf
        int exitCode;
        QString error;
        QByteArray guideAfter;  // "pdf": a complete guide with 4 pages
    };
    const QList<Case> cases = {
        {"missing_picture", 2, {}, 0, "composer.png", "pdf"},
        {"no_source_folder", -1, {}, 1, "does not exist", "older guide"},
        {"no_chapter", 0, {}, 1, "no chapter files", "older guide"},
        {"wrong_arguments", 0, {"only-one-argument"}, 2, "Usage:", "older guide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source"));
        if (c.chapters >= 0) {
            writeSource(source, c.chapters);
        }
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        const QString pdfPath = out + QStringLiteral("/Help.pdf");
        writeFile(pdfPath, "older guide");
        QProcess process;
        process.start(QStringLiteral(HELP_PROGRAM), c.arguments.isEmpty()
                                                        ? QStringList{source, dir.path(), pdfPath}
                                                        : c.arguments);
        ASSERT_TRUE(process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), c.exitCode) << err.toStdString();
        EXPECT_TRUE(err.contains(c.error)) << err.toStdString();
        const QByteArray guide = readAll(pdfPath);
        EXPECT_TRUE(c.guideAfter == "pdf" ? countPages(guide) == 4 : guide == c.guideAfter);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"Help.pdf"});
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Text layout needs a GUI application; the offscreen platform is enough.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
