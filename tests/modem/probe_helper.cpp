// Runs the device scan over the paths given on the command line and prints every diagnostic
// line, so a test can run the scan as another (unprivileged) user.
#include "core/log.h"
#include "modem/mfcsms.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tesk::log::setSink([](const QString& line) { std::printf("%s\n", line.toUtf8().constData()); });
    QStringList paths = QCoreApplication::arguments();
    paths.removeFirst();
    ModemIterator modems(paths);
    MFCSMS channel;
    char path[1024];
    return channel.GetModemPath(modems, path, sizeof path);
}
