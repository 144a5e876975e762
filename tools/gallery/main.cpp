// tesk-sms-gallery DIR: renders every window and dialog offscreen, one PNG each, into DIR.
#include "gallery/gallery.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: tesk-sms-gallery DIR\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "tesk-sms-gallery: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    int failures = 0;
    for (const tesk::ui::GalleryEntry& entry : tesk::ui::Gallery_Entries()) {
        std::unique_ptr<QWidget> widget = entry.make();
        widget->show();
        widget->resize(widget->size().expandedTo(widget->minimumSizeHint()));
        QApplication::processEvents();
        const QString file = out.filePath(entry.name + QStringLiteral(".png"));
        if (!widget->grab().save(file)) {
            std::fprintf(stderr, "tesk-sms-gallery: cannot write %s\n", qPrintable(file));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(file));
        widget->close();
    }
    return failures == 0 ? 0 : 1;
}
