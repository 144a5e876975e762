// The user guide generator: lays out the chapters of a help source folder (Qt rich text, one
// file per chapter) with the window screenshots of an image folder and writes them as an A4 PDF
// with a title page and a table of contents.
//
// Needs a QGuiApplication (fonts and text layout); the offscreen platform is enough.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tesk::help {

// A heading as the guide shows it. `page` counts printed pages from the title page (1).
struct Heading {
    int level = 1;   // 1 chapter, 2 section
    QString number;  // "3" or "3.2"
    QString title;   // the heading text without its number
    int page = 0;
};

struct Result {
    bool ok = false;
    QString error;              // why nothing was written; empty when ok
    QList<Heading> headings;    // chapters and sections, in reading order
    int pageCount = 0;          // all pages: title, contents and chapters
    QStringList images;         // file names the chapters refer to, in order, each once
    QStringList missingImages;  // those of them not found in the image folder
};

// The chapter files of `sourceDir`: every "NN-name.html" in name order ("title.html" is the
// title page and not a chapter).
QStringList Chapter_Files(const QString& sourceDir);

// Writes the guide to `outPdf`. The PDF goes to a temporary file beside it first and replaces
// `outPdf` only when complete, so a failed run leaves any older guide as it was and never a
// half-written one. A missing picture is not an error: its place says so and it is listed in
// `missingImages`.
Result Write_Help_Pdf(const QString& sourceDir, const QString& imageDir, const QString& outPdf);

// Paints the same pages as PNG files "page-001.png", ... into `outDir` at `dpi`, to look at the
// layout without a PDF viewer.
Result Write_Help_Preview(const QString& sourceDir, const QString& imageDir, const QString& outDir,
                          int dpi);

}  // namespace tesk::help
