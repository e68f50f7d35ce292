#include "core/hex_dump.h"

namespace korvath {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string BuildDumpText(const SaveImage& image) {
  const auto bytes = image.Contents();
  std::string out;
  out.reserve(128 + image.Path.size() + (bytes.size() / 16 + 1) * 58);
  out += "FileName = ";
  out += image.Path;
  out += "\r\nSize = ";
  out += std::to_string(image.Length);
  out += " Byte\r\n\r\nADDRESS  +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 16 == 0) {
      out += "\r\n";
      AppendHex(out, std::uint32_t(i), 8);
    }
    out += ' ';
    AppendHex(out, bytes[i], 2);
  }
  return out;
}

}  // namespace korvath
