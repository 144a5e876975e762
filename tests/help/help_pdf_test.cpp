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

const QStringList kChapters = {
    QStringLiteral("Getting started"),  QStringLiteral("GSM mode"),
    QStringLiteral("Android mode"),     QStringLiteral("The composer"),
    QStringLiteral("Exclusion lists"),  QStringLiteral("Templates"),
    QStringLiteral("Sending"),          QStringLiteral("Sent items and reports"),
    QStringLiteral("The command line"), QStringLiteral("Rehearsing without hardware"),
    QStringLiteral("Troubleshooting"),
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data);
}

// Page objects of a PDF (not the /Pages tree node).
int countPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

void expectCompletePdf(const QByteArray& pdf) {
    EXPECT_TRUE(pdf.startsWith("%PDF-")) << pdf.left(16).toStdString();
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
}

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HELP_PROGRAM), arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A small guide source: a title page and `chapters` short chapters with one section each.
void writeSource(const QString& dir, int chapters, const QString& picture = QString()) {
    QDir().mkpath(dir);
    writeFile(dir + QStringLiteral("/title.html"), "<p>Test guide</p>");
    for (int i = 1; i <= chapters; ++i) {
        QByteArray html = "<h1>Chapter " + QByteArray::number(i) + "</h1><p>Text.</p>" +
                          "<h2>Section " + QByteArray::number(i) + "</h2><p>More text.</p>";
        if (i == 1 && !picture.isEmpty()) {
            html += "<p><img src=\"" + picture.toUtf8() + "\"></p>";
        }
        writeFile(dir + QStringLiteral("/%1-chapter.html").arg(i, 2, 10, QLatin1Char('0')), html);
    }
}

TEST(HelpPdf, RealGuideHasEveryChapterAndItsScreenshots) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString pdfPath = out.filePath(QStringLiteral("Help.pdf"));
    const Result result = tesk::help::Write_Help_Pdf(QStringLiteral(HELP_SOURCE_DIR),
                                                     QStringLiteral(HELP_IMAGE_DIR), pdfPath);
    ASSERT_TRUE(result.ok) << result.error.toStdString();

    const QByteArray pdf = readAll(pdfPath);
    expectCompletePdf(pdf);
    EXPECT_EQ(countPages(pdf), result.pageCount);
    EXPECT_GE(result.pageCount, 15);

    QList<Heading> chapters;
    QStringList titles;
    for (const Heading& heading : result.headings) {
        if (heading.level == 1) {
            chapters.append(heading);
            titles.append(heading.title);
        }
    }
    EXPECT_EQ(titles, kChapters);
    int previous = 2;  // title page and at least one page of contents come first
    for (int i = 0; i < chapters.size(); ++i) {
        EXPECT_EQ(chapters[i].number, QString::number(i + 1));
        EXPECT_GT(chapters[i].page, previous) << chapters[i].title.toStdString();
        EXPECT_LE(chapters[i].page, result.pageCount);
        previous = chapters[i].page;
    }
    // Sections belong to the chapter before them and never come before its page.
    for (int i = 1; i < result.headings.size(); ++i) {
        EXPECT_GE(result.headings[i].page, result.headings[i - 1].page);
    }

    // The build ran the window gallery before the test, so every picture must be there.
    EXPECT_GE(result.images.size(), 5);
    EXPECT_TRUE(result.missingImages.isEmpty()) << result.missingImages.join(u' ').toStdString();
    for (const QString& image : result.images) {
        EXPECT_TRUE(QFileInfo::exists(QDir(QStringLiteral(HELP_IMAGE_DIR)).filePath(image)))
            << image.toStdString();
    }
    // Nothing but the guide is left in the target folder.
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Help.pdf")});
}

TEST(HelpPdf, EachChapterStartsOnANewPageAfterTheContents) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source"));
    writeSource(source, 3);
    const Result result = tesk::help::Write_Help_Pdf(source, dir.filePath(QStringLiteral("none")),
                                                     dir.filePath(QStringLiteral("guide.pdf")));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    ASSERT_EQ(result.headings.size(), 6);
    // Page 1 is the title, page 2 the contents, then one page per chapter.
    const QList<int> pages = {result.headings[0].page, result.headings[2].page,
                              result.headings[4].page};
    EXPECT_EQ(pages, (QList<int>{3, 4, 5}));
    EXPECT_EQ(result.headings[1].number, QStringLiteral("1.1"));
    EXPECT_EQ(result.headings[1].title, QStringLiteral("Section 1"));
    EXPECT_EQ(result.headings[1].page, 3);
    EXPECT_EQ(result.pageCount, 5);
    EXPECT_EQ(countPages(readAll(dir.filePath(QStringLiteral("guide.pdf")))), 5);
}

TEST(HelpPdf, MissingScreenshotIsReportedAndTheGuideStillWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source"));
    writeSource(source, 2, QStringLiteral("composer.png"));
    const QString images = dir.filePath(QStringLiteral("images"));
    QDir().mkpath(images);
    const QString pdfPath = dir.filePath(QStringLiteral("Help.pdf"));

    const ProgramRun run = runProgram({source, images, pdfPath});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("composer.png"))) << run.err.toStdString();
    expectCompletePdf(readAll(pdfPath));
}

TEST(HelpPdf, MissingSourceFolderFailsAndLeavesNoFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdfPath = dir.filePath(QStringLiteral("Help.pdf"));
    const ProgramRun run =
        runProgram({dir.filePath(QStringLiteral("no-such-source")), dir.path(), pdfPath});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.exitCode, -1) << "the program did not end normally";
    EXPECT_TRUE(run.err.contains(QStringLiteral("does not exist"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdfPath));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(HelpPdf, FailedRunKeepsTheOlderGuide) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source"));
    writeSource(source, 0);  // a title page but no chapter
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    const QString pdfPath = out + QStringLiteral("/Help.pdf");
    writeFile(pdfPath, "older guide");

    const ProgramRun run = runProgram({source, dir.path(), pdfPath});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no chapter files"))) << run.err.toStdString();
    EXPECT_EQ(readAll(pdfPath), QByteArray("older guide"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Help.pdf")});
}

TEST(HelpPdf, WrongArgumentsAreAUsageError) {
    const ProgramRun run = runProgram({QStringLiteral("only-one-argument")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage:"))) << run.err.toStdString();
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
