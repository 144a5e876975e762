#pragma once
// The lines adb itself prints about its server and about the phone, in the wordings of old and
// current adb releases. One table knows them all; the device listing drops them (none names a
// phone) and the sending run reads a lost phone from them.
#include <QString>

namespace tesk::android {

enum class AdbLine {
    Other,         // not one of adb's own lines (a listed phone, a program's answer)
    ServerNotice,  // the server is being started or replaced: harmless
    ServerFailed,  // the server could not be started or reached
    NoDevice,      // no phone attached, or not the one asked for
    Offline,       // the phone is attached but not talking
    Unauthorized,  // the phone has not allowed USB debugging from this computer
    MoreThanOne,   // a command that needs one phone found several
};

// What one line of adb output is (blanks around it do not matter).
AdbLine Classify_Adb_Line(const QString& line);

// The first line of the output that says something about the server or the phone, other than a
// harmless server notice; Other when there is none.
AdbLine Adb_Output_Problem(const QString& output);

// The output says the phone is gone: not found, offline, or no longer authorized.
bool Phone_Lost_In(const QString& output);

}  // namespace tesk::android
