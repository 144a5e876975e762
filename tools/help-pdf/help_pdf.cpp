#include "help-pdf/help_pdf.h"

#include "help-pdf/help_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace tesk::help {

namespace {

Result laidOut(const QString& sourceDir, const QString& imageDir, Guide* guide) {
    Result result;
    Source source;
    if (!Read_Source(sourceDir, &source, &result.error)) {
        return result;
    }
    guide->build(source, imageDir);
    result.ok = true;
    result.headings = guide->headings();
    result.pageCount = guide->pageCount();
    result.images = guide->images();
    result.missingImages = guide->missingImages();
    return result;
}

Result failed(Result result, const QString& error) {
    result.ok = false;
    result.error = error;
    return result;
}

}  // namespace

Result Write_Help_Pdf(const QString& sourceDir, const QString& imageDir, const QString& outPdf) {
    Guide guide;
    Result result = laidOut(sourceDir, imageDir, &guide);
    if (!result.ok) {
        return result;
    }
    // QSaveFile writes a temporary file in the target folder and renames it over the old guide
    // only on commit, so readers never see a half-written PDF.
    QSaveFile file(outPdf);
    if (!file.open(QIODevice::WriteOnly)) {
        return failed(result,
                      QStringLiteral("cannot write %1: %2").arg(outPdf, file.errorString()));
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(kLayoutDpi);
        writer.setTitle(QStringLiteral("Tesk SMS user guide"));
        writer.setCreator(QStringLiteral("tesk-sms-help-pdf"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return failed(result, QStringLiteral("cannot start a PDF in %1").arg(outPdf));
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        for (int page = 0; page < guide.pageCount(); ++page) {
            if (page > 0 && !writer.newPage()) {
                file.cancelWriting();
                return failed(result, QStringLiteral("cannot add page %1").arg(page + 1));
            }
            guide.paintPage(&painter, page);
        }
        painter.end();
    }
    if (!file.commit()) {
        return failed(result,
                      QStringLiteral("cannot write %1: %2").arg(outPdf, file.errorString()));
    }
    return result;
}

Result Write_Help_Preview(const QString& sourceDir, const QString& imageDir, const QString& outDir,
                          int dpi) {
    Guide guide;
    Result result = laidOut(sourceDir, imageDir, &guide);
    if (!result.ok) {
        return result;
    }
    if (!QDir().mkpath(outDir)) {
        return failed(result, QStringLiteral("cannot create %1").arg(outDir));
    }
    const qreal scale = qreal(dpi) / kLayoutDpi;
    const QSize size = (guide.pageSize() * scale).toSize();
    for (int page = 0; page < guide.pageCount(); ++page) {
        QImage image(size, QImage::Format_RGB32);
        // The image keeps the layout resolution and the painter scales: text then measures as
        // it was laid out.
        image.setDotsPerMeterX(qRound(kLayoutDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kLayoutDpi / 0.0254));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        painter.scale(scale, scale);
        guide.paintPage(&painter, page);
        painter.end();
        const QString path = QDir(outDir).filePath(
            QStringLiteral("page-%1.png").arg(page + 1, 3, 10, QLatin1Char('0')));
        if (!image.save(path)) {
            return failed(result, QStringLiteral("cannot write %1").arg(path));
        }
    }
    return result;
}

}  // namespace tesk::help
