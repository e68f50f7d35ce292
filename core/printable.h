#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvath {

// A user's text made safe to put into a message on a terminal: control characters (C0, DEL and
// C1, which a terminal may take for commands) become \u00XX, a backslash and quote become \\ and
// \<quote>, bytes that are not UTF-8 become \xNN, and a text longer than maxCharacters is cut
// there with "…". A quote of '\0' escapes no quote.
std::string Printable(std::string_view text, char quote = '"', std::size_t maxCharacters = 80);

// Printable(text) between double quotes, the way messages name keys, controls and texts.
std::string Quoted(std::string_view text);

// Printable(text) whole and without quotes, for file names and other libraries' messages: a name
// holding a line break or a terminal command can neither forge a line of a message nor reach the
// terminal, and the message stays valid UTF-8.
std::string PrintableWhole(std::string_view text);

}  // namespace korvath
