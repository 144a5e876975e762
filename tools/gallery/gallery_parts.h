#pragma once
// The gallery's entries, one list per group of windows; Gallery_Entries joins them.
#include "gallery/gallery.h"

namespace tesk::ui {

// Start-up: main window, mode selection, connection steps, message boxes.
QList<GalleryEntry> Gallery_Shell_Entries();
// The two composer windows and the dialogs and sheets they open.
QList<GalleryEntry> Gallery_Composer_Entries();
// The sent-items and templates windows and the template editor.
QList<GalleryEntry> Gallery_Store_Entries();
// The GSM device window, the device-settings window and the automatic settings test.
QList<GalleryEntry> Gallery_Device_Entries();
// The phone connection window of the Android mode.
QList<GalleryEntry> Gallery_Phone_Entries();
// The sending window while it runs and after the run.
QList<GalleryEntry> Gallery_Sending_Entries();

}  // namespace tesk::ui
