#include "help-pdf/help_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPageSize>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QUrl>

#include <cmath>

namespace tesk::help {

namespace {

constexpr qreal mm(qreal millimetres) {
    return millimetres * kLayoutDpi / 25.4;
}

// A heading needs room for itself and a couple of lines under it, or it moves to the next page.
constexpr qreal kRoomUnderHeading = 48;
// Pictures never take more than this share of the text height, so one fits with its caption.
constexpr qreal kMaxPictureShare = 0.62;

QFont baseFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(10.5);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

bool hasPicture(const QTextBlock& block) {
    return block.text().contains(QChar::ObjectReplacementCharacter);
}

// Lays the whole document out again. Measuring while the text changes leaves parts of an
// incrementally laid-out document with stale lines, so every change is followed by this.
void relayout(QTextDocument* doc) {
    doc->markContentsDirty(0, doc->characterCount());
    doc->documentLayout()->documentSize();
}

bool inRootFrame(const QTextBlock& block) {
    return QTextCursor(block).currentFrame() == block.document()->rootFrame();
}

}  // namespace

Guide::Guide() {
    page_ = QPageSize(QPageSize::A4).size(QPageSize::Point) * (kLayoutDpi / 72.0);
    left_ = mm(20);
    right_ = mm(20);
    top_ = mm(22);
    bottom_ = mm(22);
    metrics_ = QImage(8, 8, QImage::Format_RGB32);
    metrics_.setDotsPerMeterX(qRound(kLayoutDpi / 0.0254));
    metrics_.setDotsPerMeterY(qRound(kLayoutDpi / 0.0254));
}

Guide::~Guide() = default;

std::unique_ptr<QTextDocument> Guide::newDocument(const QString& styleSheet) const {
    auto doc = std::make_unique<QTextDocument>();
    // Laid out for a device of the layout resolution; the PDF writer and the preview image use
    // that resolution too, so fonts measure the same on paper as here.
    doc->documentLayout()->setPaintDevice(const_cast<QImage*>(&metrics_));
    doc->setDefaultStyleSheet(styleSheet);
    doc->setDefaultFont(baseFont());
    QTextOption option = doc->defaultTextOption();
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::WordWrap);
    doc->setDefaultTextOption(option);
    doc->setPageSize(page_);
    return doc;
}

namespace {

void setPageMargins(QTextDocument* doc, qreal left, qreal right, qreal top, qreal bottom) {
    QTextFrameFormat format = doc->rootFrame()->frameFormat();
    format.setLeftMargin(left);
    format.setRightMargin(right);
    format.setTopMargin(top);
    format.setBottomMargin(bottom);
    doc->rootFrame()->setFrameFormat(format);
}

}  // namespace

void Guide::placeImages(QTextDocument* doc, const QString& imageDir) {
    struct Picture {
        int position;
        QTextImageFormat format;
    };
    QList<Picture> pictures;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            for (int i = 0; i < fragment.length(); ++i) {
                pictures.append({fragment.position() + i, fragment.charFormat().toImageFormat()});
            }
        }
    }
    for (const Picture& picture : pictures) {
        if (!images_.contains(picture.format.name())) {
            images_.append(picture.format.name());
        }
    }
    const qreal maxWidth = page_.width() - left_ - right_;
    const qreal maxHeight = (page_.height() - top_ - bottom_) * kMaxPictureShare;
    // From the end, so replacing a missing picture by its note keeps earlier positions valid.
    for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) {
        QTextImageFormat format = it->format;
        const QString name = format.name();
        QTextCursor cursor(doc);
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + 1, QTextCursor::KeepAnchor);
        const QImage image(QDir(imageDir).filePath(QFileInfo(name).fileName()));
        if (image.isNull()) {
            missing_.removeAll(name);
            missing_.prepend(name);
            QTextCharFormat note;
            note.setFontItalic(true);
            note.setForeground(QColor(0x80, 0x80, 0x80));
            cursor.insertText(QStringLiteral("[Picture not available: %1]").arg(name), note);
            continue;
        }
        doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
        qreal width = format.width() > 0 ? format.width() : image.width();
        qreal height = width * image.height() / image.width();
        const qreal scale = std::min({1.0, maxWidth / width, maxHeight / height});
        format.setWidth(width * scale);
        format.setHeight(height * scale);
        cursor.setCharFormat(format);
    }
}

void Guide::numberHeadings() {
    int chapter = 0;
    int section = 0;
    bool first = true;
    for (QTextBlock block = body_->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        QString number;
        if (level == 1) {
            number = QString::number(++chapter);
            section = 0;
        } else if (level == 2 && chapter > 0) {
            number = QStringLiteral("%1.%2").arg(chapter).arg(++section);
        } else {
            continue;
        }
        headings_.append({level, number, block.text().trimmed(), 0});
        QTextCursor cursor(block);
        const QTextCharFormat format =
            block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
        cursor.insertText(number + QStringLiteral("   "), format);
        if (level == 1 && !first) {
            QTextBlockFormat blockFormat = block.blockFormat();
            blockFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(blockFormat);
        }
        first = false;
    }
}

void Guide::keepHeadingsWithText() {
    QAbstractTextDocumentLayout* layout = body_->documentLayout();
    const qreal pageHeight = page_.height();
    // Each move shifts what follows, so look again until nothing moves (a few passes at most).
    for (int pass = 0; pass < 64; ++pass) {
        QList<QTextBlock> toMove;
        for (QTextBlock block = body_->begin(); block.isValid(); block = block.next()) {
            const QTextBlockFormat format = block.blockFormat();
            if ((format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) ||
                !inRootFrame(block)) {
                continue;
            }
            const QRectF rect = layout->blockBoundingRect(block);
            const int page = int(std::floor(rect.top() / pageHeight));
            const qreal textBottom = (page + 1) * pageHeight - bottom_;
            const bool heading = format.headingLevel() >= 1 && format.headingLevel() <= 3;
            const bool strandedHeading = heading && rect.bottom() + kRoomUnderHeading > textBottom;
            // A picture with its caption line stays in one piece.
            const bool splitPicture = hasPicture(block) && rect.bottom() > textBottom + 1;
            if (strandedHeading || splitPicture) {
                toMove.append(block);
                // What follows moves too; the next pass measures it again.
                break;
            }
        }
        if (toMove.isEmpty()) {
            return;
        }
        for (const QTextBlock& block : toMove) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
        }
        relayout(body_.get());
    }
}

void Guide::collectHeadingPages(int firstBodyPage) {
    QAbstractTextDocumentLayout* layout = body_->documentLayout();
    int index = 0;
    for (QTextBlock block = body_->begin(); block.isValid() && index < headings_.size();
         block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != headings_[index].level) {
            continue;
        }
        const QRectF rect = layout->blockBoundingRect(block);
        headings_[index].page = firstBodyPage + int(std::floor(rect.top() / page_.height()));
        ++index;
    }
}

void Guide::buildContents(const QString& styleSheet) {
    contentsPages_ = 1;
    // The page numbers depend on how long the contents are; their length does not depend on
    // the numbers' values, so the second round settles it.
    for (int round = 0; round < 3; ++round) {
        collectHeadingPages(2 + contentsPages_);
        QString html = QStringLiteral(
            "<h1>Contents</h1>"
            "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
        for (const Heading& heading : headings_) {
            const bool chapter = heading.level == 1;
            const QString style =
                chapter ? QStringLiteral(" style=\"font-weight:bold; padding-top:8px;\"")
                        : QString();
            // Sections sit under their chapter's title, their number leading the text.
            const QString text = chapter ? escaped(heading.title)
                                         : heading.number + QStringLiteral("&nbsp;&nbsp;&nbsp;") +
                                               escaped(heading.title);
            html += QStringLiteral(
                        "<tr><td width=\"34\"%1>%2</td><td%1>%3</td>"
                        "<td align=\"right\" width=\"40\"%1>%4</td></tr>")
                        .arg(style, chapter ? heading.number : QString(), text,
                             QString::number(heading.page));
        }
        html += QStringLiteral("</table>");
        contents_ = newDocument(styleSheet);
        contents_->setHtml(html);
        setPageMargins(contents_.get(), left_, right_, top_, bottom_);
        const int pages = pagesOf(*contents_);
        if (pages == contentsPages_) {
            return;
        }
        contentsPages_ = pages;
    }
}

void Guide::build(const Source& source, const QString& imageDir) {
    headings_.clear();
    images_.clear();
    missing_.clear();

    title_ = newDocument(source.styleSheet);
    QString titleHtml = Body_Of(source.titleHtml);
    titleHtml.replace(QStringLiteral("%VERSION%"), QStringLiteral(TESK_VERSION));
    title_->setHtml(titleHtml);
    setPageMargins(title_.get(), left_, right_, mm(45), bottom_);

    body_ = newDocument(source.styleSheet);
    QString html;
    for (const QString& chapter : source.chapterHtml) {
        html += Body_Of(chapter);
    }
    body_->setHtml(html);
    setPageMargins(body_.get(), left_, right_, top_, bottom_);

    // Pictures of the title page first, so the list of pictures reads in page order.
    QStringList bodyImages;
    placeImages(body_.get(), imageDir);
    bodyImages.swap(images_);
    QStringList bodyMissing;
    bodyMissing.swap(missing_);
    placeImages(title_.get(), imageDir);
    for (const QString& name : bodyImages) {
        if (!images_.contains(name)) {
            images_.append(name);
        }
    }
    for (const QString& name : bodyMissing) {
        if (!missing_.contains(name)) {
            missing_.append(name);
        }
    }

    numberHeadings();
    relayout(body_.get());
    keepHeadingsWithText();
    buildContents(source.styleSheet);
}

int Guide::pagesOf(const QTextDocument& doc) {
    return std::max(1, doc.pageCount());
}

int Guide::pageCount() const {
    return body_ ? 1 + contentsPages_ + pagesOf(*body_) : 0;
}

void Guide::paintDocumentPage(QPainter* painter, const QTextDocument& doc, int page) const {
    painter->save();
    const QRectF view(0, page * page_.height(), page_.width(), page_.height());
    painter->translate(0, -view.top());
    painter->setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(painter, context);
    painter->restore();
}

void Guide::paintFrame(QPainter* painter, int index) const {
    painter->save();
    QFont font = baseFont();
    font.setPointSizeF(8.5);
    painter->setFont(font);
    const QColor grey(0x70, 0x70, 0x70);
    const qreal width = page_.width() - left_ - right_;

    const qreal footer = page_.height() - bottom_ + mm(7);
    painter->setPen(QPen(QColor(0xc0, 0xc0, 0xc0), 0.8));
    painter->drawLine(QPointF(left_, footer), QPointF(left_ + width, footer));
    painter->setPen(grey);
    const QRectF footerText(left_, footer + mm(1.5), width, mm(6));
    painter->drawText(footerText, Qt::AlignLeft | Qt::AlignTop,
                      QStringLiteral("Tesk SMS user guide"));
    painter->drawText(footerText, Qt::AlignRight | Qt::AlignTop,
                      QStringLiteral("Page %1 of %2").arg(index + 1).arg(pageCount()));

    // The running head names the chapter the page belongs to.
    QString chapter;
    for (const Heading& heading : headings_) {
        if (heading.level == 1 && heading.page <= index + 1) {
            chapter = heading.number + QStringLiteral("   ") + heading.title;
        }
    }
    if (index > contentsPages_ && !chapter.isEmpty()) {
        const qreal head = top_ - mm(9);
        painter->drawText(QRectF(left_, head, width, mm(6)), Qt::AlignRight | Qt::AlignTop,
                          chapter);
        painter->setPen(QPen(QColor(0xc0, 0xc0, 0xc0), 0.8));
        painter->drawLine(QPointF(left_, head + mm(5.5)), QPointF(left_ + width, head + mm(5.5)));
    }
    painter->restore();
}

void Guide::paintPage(QPainter* painter, int index) const {
    if (index == 0) {
        paintDocumentPage(painter, *title_, 0);
        return;
    }
    if (index <= contentsPages_) {
        paintDocumentPage(painter, *contents_, index - 1);
    } else {
        paintDocumentPage(painter, *body_, index - 1 - contentsPages_);
    }
    paintFrame(painter, index);
}

}  // namespace tesk::help
