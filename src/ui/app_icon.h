#pragma once
// The program's icon for its windows: the message bubble of the desktop entry's icon, painted
// here so the windows need no image format plug-in.
#include <QIcon>

namespace tesk::ui {

QIcon App_Icon();

}  // namespace tesk::ui
