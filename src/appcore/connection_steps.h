#pragma once
// The Android connection steps window Connection_Info: before the phone window looks for a
// phone, the user is shown how to switch on USB debugging. Its three help buttons show the
// instructions for the Android version the phone runs.
#include <QString>

namespace tesk {

extern const QString kUsbDebuggingAndroid42;  // Android 4.2 or higher
extern const QString kUsbDebuggingAndroid40;  // Android 4.0 or higher
extern const QString kUsbDebuggingAndroid32;  // Android 3.2 or older

class Connection_Info {
  public:
    // Each shows its instructions in the message box.
    void Android_4_2_Help_Pressed();
    void Android_4_0_Help_Pressed();
    void Android_3_2_Help_Pressed();
};

}  // namespace tesk
