#pragma once
// Where the program keeps its state: the resource directory, the data directory TESK_SMS_DATA
// inside it, and the store files every other subsystem appends to or rewrites.
//
// The path globals are written once, by the start-up sequence on the GUI thread before any
// worker thread exists, and only read afterwards (worker threads included).
#include <QString>

extern QString Resource_Path;
extern QString Tesk_SMS_Data_Folder_Path;
extern QString Sent_Item_Path;
extern QString Sent_Item_Path_Android;
extern QString Templates_Path;
extern QString Applied_Exclusion_Path;
extern QString Exclusion_Folder_Path;
extern QString Exclusion_Index_Path;

namespace tesk {

// Permissions of everything the program creates: the data is the user's alone.
inline constexpr unsigned kPrivateDirectoryMode = 0700;
inline constexpr unsigned kPrivateFileMode = 0600;

// TESK_SMS_RESOURCE_DIR when set; otherwise $XDG_DATA_HOME/tesk-sms, with ~/.local/share when
// XDG_DATA_HOME is unset, empty or relative. Always absolute and without a trailing separator.
QString Resource_Directory();

// `first` and `second` with exactly one separator between them.
QString Join_Path(const QString& first, const QString& second);

// Sets Resource_Path to `resourcePath` (made absolute and clean) and derives the seven data
// paths from it, in this order: data folder, GSM sent items, Android sent items, templates,
// applied exclusions, Exclusion folder, exclusion index (inside the Exclusion folder).
void Set_Data_Paths(const QString& resourcePath);

// Creates the missing components of `path` one by one, each 0700 whatever the umask; existing
// components are left as they are. True when `path` is a directory afterwards.
bool Make_Private_Directory(const QString& path);

// Creates `path` as an empty 0600 file when nothing exists there yet. Never opens an existing
// file, so a file that is there keeps its contents and times. True when it was created.
bool Make_Private_Empty_File(const QString& path);

}  // namespace tesk

// Creates whatever is missing of the data directory, its four store files, the Exclusion folder
// and the exclusion index, in that order. Each step is on its own: one that fails is logged and
// the next still runs. Safe to call from several threads at once.
void Check_Path_And_Create_Files();
