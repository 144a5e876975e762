// The laid-out guide: title page, contents and chapters as three paginated text documents, and
// the painting of any of its pages. The PDF writer and the PNG preview paint the same pages.
#pragma once

#include "help-pdf/help_pdf.h"

#include <QImage>
#include <QSizeF>
#include <QTextDocument>

#include <memory>

class QPainter;

namespace tesk::help {

// Layout units: 1/96 inch, the resolution the screenshots were taken at, so a small dialog
// keeps its on-screen size on paper and text metrics are those of an ordinary screen.
inline constexpr int kLayoutDpi = 96;

// The text of the help source folder, read but not yet laid out.
struct Source {
    QString styleSheet;       // style.css, may be empty
    QString titleHtml;        // title.html
    QStringList chapterHtml;  // one entry per chapter file, in order
};

// Reads `dir`; false with `error` set when the folder, its title page or chapters are missing.
bool Read_Source(const QString& dir, Source* source, QString* error);

// The <body> part of an HTML file, or all of it when it has none.
QString Body_Of(const QString& html);

class Guide {
  public:
    Guide();
    ~Guide();

    // Lays out the guide. Pictures are looked up by their file name in `imageDir`.
    void build(const Source& source, const QString& imageDir);

    int pageCount() const;
    QSizeF pageSize() const { return page_; }
    // Paints page `index` (0 = title page) with the painter's origin at the paper's corner, in
    // layout units.
    void paintPage(QPainter* painter, int index) const;

    const QList<Heading>& headings() const { return headings_; }
    const QStringList& images() const { return images_; }
    const QStringList& missingImages() const { return missing_; }

  private:
    std::unique_ptr<QTextDocument> newDocument(const QString& styleSheet) const;
    void placeImages(QTextDocument* doc, const QString& imageDir);
    void numberHeadings();
    void keepHeadingsWithText();
    void collectHeadingPages(int firstBodyPage);
    void buildContents(const QString& styleSheet);
    static int pagesOf(const QTextDocument& doc);
    void paintDocumentPage(QPainter* painter, const QTextDocument& doc, int page) const;
    void paintFrame(QPainter* painter, int index) const;

    QSizeF page_;
    qreal left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    QImage metrics_;  // the paint device every document is laid out for
    std::unique_ptr<QTextDocument> title_;
    std::unique_ptr<QTextDocument> contents_;
    std::unique_ptr<QTextDocument> body_;
    int contentsPages_ = 0;
    QList<Heading> headings_;
    QStringList images_;
    QStringList missing_;
};

}  // namespace tesk::help
