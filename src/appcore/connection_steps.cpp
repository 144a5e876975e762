#include "appcore/connection_steps.h"

#include "core/dialogs.h"

namespace tesk {

const QString kUsbDebuggingAndroid42 = QStringLiteral(
    "How to enable 'USB Debugging' in Android 4.2 (or higher) Device:\n\n"
    "Step 1:    In your Android Device, Go to ( Home > Menu > Settings > About Phone). At 'About "
    "Phone' screen, scroll down to the bottom and Tap on 'Build Number' repeatedly about Seven "
    "Times until you see a message, \"You are now a Developer\".\n\n"
    "Step 2:    You can now enable 'USB Debugging' mode by going to ( Menu > Settings > Developer "
    "Options > USB Debugging ). Make sure that you have enabled the checkbox of USB Debugging "
    "Option here.\n\n"
    "Congratulations, you've Done it!");

const QString kUsbDebuggingAndroid40 = QStringLiteral(
    "How to enable 'USB Debugging' in Android 4.0 (or higher) Device:\n\n"
    "You can enable 'USB Debugging' mode by going to ( Menu > Settings > Developer Options > USB "
    "Debugging ). Make sure that you have enabled the checkbox of USB Debugging Option here.\n\n"
    "Congratulations, you've Done it!");

const QString kUsbDebuggingAndroid32 = QStringLiteral(
    "How to enable 'USB Debugging' in Android 3.2 (or older) Device:\n\n"
    "You can enable 'USB Debugging' mode by going to ( Menu > Settings > Applications > "
    "Development > USB Debugging ). Make sure that you have enabled the checkbox of USB "
    "Debugging Option here.\n\n"
    "Congratulations, you've Done it!");

void Connection_Info::Android_4_2_Help_Pressed() {
    Show_MessageBox(kUsbDebuggingAndroid42);
}

void Connection_Info::Android_4_0_Help_Pressed() {
    Show_MessageBox(kUsbDebuggingAndroid40);
}

void Connection_Info::Android_3_2_Help_Pressed() {
    Show_MessageBox(kUsbDebuggingAndroid32);
}

}  // namespace tesk
