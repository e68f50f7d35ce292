#include "core/printable.h"

#include <cstdint>
#include <cstdio>

namespace korvath {

namespace {

// The length of the UTF-8 sequence starting at text[i], or 0 when the bytes there are not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  std::uint32_t min = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  std::uint32_t cp = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[i + k]);
    if ((byte & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

std::string Hex(const char* format, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string Printable(std::string_view text, char quote, std::size_t maxCharacters) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    if (characters == maxCharacters) return out + "…";
    const std::size_t length = SequenceLength(text, i);
    const auto byte = static_cast<unsigned char>(text[i]);
    if (length == 0) {
      out += Hex("\\x%02X", byte);
      ++i;
      continue;
    }
    if (length == 1 && (byte < 0x20 || byte == 0x7F)) {
      out += Hex("\\u%04X", byte);
    } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += Hex("\\u%04X", static_cast<unsigned char>(text[i + 1]));
    } else {
      if (length == 1 && (text[i] == '\\' || text[i] == quote)) out += '\\';
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

std::string Quoted(std::string_view text) { return '"' + Printable(text) + '"'; }

std::string PrintableWhole(std::string_view text) {
  return Printable(text, '\0', std::string_view::npos);
}

}  // namespace korvath
