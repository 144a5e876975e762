#pragma once
// The help document "Help.pdf" in the resource directory, opened with the desktop's default
// viewer. The widget layer installs the desktop opener; until then `xdg-open` is started.
#include <QString>

#include <functional>

namespace tesk {

// Opens a document with the desktop's default application; false when that could not start.
using DocumentOpener = std::function<bool(const QString& path)>;

// Installs the opener (an empty one restores the default) and returns the previous one.
DocumentOpener Set_Document_Opener(DocumentOpener opener);

// Resource_Path joined with "Help.pdf".
QString Help_Document_Path();

// Opens the help document; when it is missing shows "\nHelp file does not exist!" with "OK".
// True when the document was handed to the opener.
bool Open_Help_Document();

}  // namespace tesk
