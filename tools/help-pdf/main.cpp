// tesk-sms-help-pdf SOURCE_DIR IMAGE_DIR OUT.pdf: the user guide as a PDF.
// tesk-sms-help-pdf --preview SOURCE_DIR IMAGE_DIR OUT_DIR: the same pages as PNG files.
#include "help-pdf/help_pdf.h"

#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: tesk-sms-help-pdf SOURCE_DIR IMAGE_DIR OUT.pdf\n"
    "       tesk-sms-help-pdf --preview SOURCE_DIR IMAGE_DIR OUT_DIR\n"
    "\n"
    "Lays out the user guide from the chapter files of SOURCE_DIR (title.html, style.css and\n"
    "NN-name.html) with the screenshots of IMAGE_DIR and writes it to OUT.pdf; OUT.pdf is\n"
    "replaced only once the new guide is complete. --preview paints the pages as PNG files\n"
    "into OUT_DIR instead. A missing screenshot is reported and the guide is made without it.\n"
    "Exit status: 0 written, 1 the guide could not be made, 2 usage error.\n";

}  // namespace

int main(int argc, char** argv) {
    // Text layout needs a GUI application but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() == 1 &&
        (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool preview = !args.isEmpty() && args[0] == QLatin1String("--preview");
    if (preview) {
        args.removeFirst();
    }
    if (args.size() != 3 || args[0].startsWith(QLatin1Char('-'))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const tesk::help::Result result =
        preview ? tesk::help::Write_Help_Preview(args[0], args[1], args[2], 144)
                : tesk::help::Write_Help_Pdf(args[0], args[1], args[2]);
    if (!result.ok) {
        std::fprintf(stderr, "tesk-sms-help-pdf: %s\n", qPrintable(result.error));
        return 1;
    }
    for (const QString& name : result.missingImages) {
        std::fprintf(stderr, "tesk-sms-help-pdf: screenshot %s is missing from %s\n",
                     qPrintable(name), qPrintable(QDir::toNativeSeparators(args[1])));
    }
    std::printf("%s: %d pages, %lld chapters\n", qPrintable(args[2]), result.pageCount,
                static_cast<long long>(std::count_if(
                    result.headings.begin(), result.headings.end(),
                    [](const tesk::help::Heading& heading) { return heading.level == 1; })));
    return 0;
}
