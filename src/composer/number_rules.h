#pragma once
// The syntax rule every stored number passes, shared by the composers and the exclusion lists.
#include <QString>

namespace tesk::composer {

// The cleaned number (Clean_Number_Form: spaces, hyphens, parentheses, separating dots and a
// spreadsheet's text mark removed, trimmed) when it passes the syntax check (digits, "+" and
// "-", at most 20 characters), holds a digit and carries a "+" only as its first character;
// "" otherwise. Typed, pasted, imported and edited numbers and exclusion numbers all pass here,
// so each is cleaned the same way.
QString Clean_Valid_Number(const QString& raw);

}  // namespace tesk::composer
