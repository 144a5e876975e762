#include "help-pdf/help_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tesk::help {

namespace {

bool readText(const QString& path, QString* text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *text = QString::fromUtf8(file.readAll());
    return true;
}

}  // namespace

QStringList Chapter_Files(const QString& sourceDir) {
    static const QRegularExpression chapterName(QStringLiteral("^[0-9]{2}-.+\\.html$"));
    QStringList chapters;
    const QStringList names =
        QDir(sourceDir).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (chapterName.match(name).hasMatch()) {
            chapters.append(QDir(sourceDir).filePath(name));
        }
    }
    return chapters;
}

QString Body_Of(const QString& html) {
    static const QRegularExpression body(
        QStringLiteral("<body[^>]*>(.*)</body>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = body.match(html);
    return match.hasMatch() ? match.captured(1) : html;
}

bool Read_Source(const QString& dir, Source* source, QString* error) {
    const QFileInfo info(dir);
    if (!info.isDir()) {
        *error = QStringLiteral("help source folder %1 does not exist").arg(dir);
        return false;
    }
    const QDir folder(dir);
    if (!readText(folder.filePath(QStringLiteral("title.html")), &source->titleHtml, error)) {
        return false;
    }
    const QString css = folder.filePath(QStringLiteral("style.css"));
    if (QFileInfo::exists(css) && !readText(css, &source->styleSheet, error)) {
        return false;
    }
    source->chapterHtml.clear();
    for (const QString& path : Chapter_Files(dir)) {
        QString html;
        if (!readText(path, &html, error)) {
            return false;
        }
        source->chapterHtml.append(html);
    }
    if (source->chapterHtml.isEmpty()) {
        *error = QStringLiteral("no chapter files (NN-name.html) in %1").arg(dir);
        return false;
    }
    return true;
}

}  // namespace tesk::help
