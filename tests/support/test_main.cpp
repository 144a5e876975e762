// Shared main of every suite: a QCoreApplication exists (some Qt classes want one) and a
// scripted dialogs object with an empty script is installed, so any dialog a test did not
// expect fails that test.
#include "support/scripted_dialogs.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    tesk::test::ScriptedDialogs noDialogsExpected;
    return RUN_ALL_TESTS();
}
