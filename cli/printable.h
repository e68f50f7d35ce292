#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvath::cli {

// A user's text made safe to put into a message on a terminal: control characters (C0, DEL and
// C1, which a terminal may take for commands) become \u00XX, a backslash and quote become \\ and
// \<quote>, bytes that are not UTF-8 become \xNN, and a text longer than maxCharacters is cut
// there with "…".
std::string Printable(std::string_view text, char quote = '"', std::size_t maxCharacters = 80);

// Printable(text) between double quotes, the way messages name keys, controls and texts.
std::string Quoted(std::string_view text);

}  // namespace korvath::cli
