// tesk-sms-cli: device scan and SMS sending from scripts and headless servers, through the same
// controllers and engine as the application.
#include "sms-cli/cli_commands.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tesk::cli::Run_Sms_Cli(app.arguments());
}
