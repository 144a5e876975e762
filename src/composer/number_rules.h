#pragma once
// The syntax rule every stored number passes, shared by the composers and the exclusion lists.
#include <QString>

namespace tesk::composer {

// The cleaned number (spaces and hyphens removed, trimmed) when it is not empty, passes the
// syntax check (digits, "+" and "-", at most 20 characters) and carries a "+" only as its
// first character; "" otherwise.
QString Clean_Valid_Number(const QString& raw);

}  // namespace tesk::composer
