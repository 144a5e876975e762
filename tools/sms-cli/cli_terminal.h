#pragma once
// Standard error shared by the progress bar and the notices: several threads write to it (the
// engine shows notices from its workers), and a notice must not land in the middle of a bar
// that is being redrawn in place. On a terminal the bar is redrawn with a carriage return; on
// a pipe or file every new bar state is a line of its own.
#include <QString>

namespace tesk::cli {

// A whole message; "\r\n" line ends become "\n". Ends a bar line that is being redrawn first.
void Print_Error_Text(const QString& text);
// Redraws the progress line (or prints it as a line when standard error is no terminal).
void Draw_Progress_Line(const QString& line);
// Ends a bar line still open on a terminal.
void End_Progress_Line();

}  // namespace tesk::cli
