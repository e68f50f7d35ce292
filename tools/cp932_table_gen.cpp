// Writes core/cp932_table.cpp to standard output from glibc's CP932 converter. CI runs it again
// and compares, so the committed table is always exactly what iconv does.
//
//   cp932_table_gen > core/cp932_table.cpp
//
// It asks the converter about every byte, every pair and every code point, and stops with a
// message when the converter does something the table's layout cannot express.

#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/cp932_table.h"

namespace {

using korvath::cp932::kDroppedFirst;
using korvath::cp932::kDroppedLast;
using korvath::cp932::kLeadCount;
using korvath::cp932::kTrailCount;
using korvath::cp932::kTrailFirst;
using korvath::cp932::kTrailLast;
using korvath::cp932::kUnassigned;
using korvath::cp932::LeadIndex;

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open fails
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("no iconv from ") + from + " to " + to);
  }
  ~Iconv() { ::iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // The whole input converted, or nullopt when any of it does not convert.
  std::optional<std::string> Convert(const std::string& input) {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buf[64];
    char* out = buf;
    std::size_t outLeft = sizeof buf;
    if (::iconv(cd_, &in, &inLeft, &out, &outLeft) == std::size_t(-1)) return std::nullopt;
    return std::string(buf, std::size_t(out - buf));
  }

 private:
  iconv_t cd_;
};

void Require(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error("the table cannot express this converter: " + what);
}

std::string Hex(unsigned value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", value);
  return buf;
}

// The code points of UTF-32LE text.
std::vector<char32_t> CodePoints(const std::string& utf32) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i + 4 <= utf32.size(); i += 4) {
    std::uint32_t v = 0;
    std::memcpy(&v, utf32.data() + i, 4);
    out.push_back(char32_t(v));
  }
  return out;
}

// The character bytes decode to, or kUnassigned when they are not exactly one character.
char16_t DecodeOne(Iconv& decoder, const std::string& bytes) {
  const auto text = decoder.Convert(bytes);
  if (!text) return kUnassigned;
  const auto cps = CodePoints(*text);
  if (cps.size() != 1) return kUnassigned;
  Require(cps[0] < kUnassigned, "a character outside the BMP or U+FFFF");
  return char16_t(cps[0]);
}

void PrintTable(const char* declaration, const std::vector<char16_t>& values) {
  std::printf("%s = {{\n", declaration);
  for (std::size_t i = 0; i < values.size(); i += 12) {
    std::printf(" ");
    for (std::size_t j = i; j < values.size() && j < i + 12; ++j)
      std::printf(" %s,", Hex(values[j]).c_str());
    std::printf("\n");
  }
  std::printf("}};\n\n");
}

void Generate() {
  Iconv decoder("UTF-32LE", "CP932");
  Iconv encoder("CP932", "UTF-32LE");

  std::vector<char16_t> single(256, kUnassigned);
  for (int b = 0; b < 256; ++b) {
    single[std::size_t(b)] = DecodeOne(decoder, std::string(1, char(b)));
    Require(single[std::size_t(b)] == kUnassigned || LeadIndex(std::uint8_t(b)) < 0,
            "a lead byte that is a character on its own: " + Hex(unsigned(b)));
  }
  std::vector<char16_t> pairs(std::size_t(kLeadCount) * kTrailCount, kUnassigned);
  // Which code each character decodes from: the last in byte order wins.
  std::map<char32_t, std::uint16_t> decodedFrom;
  for (int b = 0; b < 256; ++b) {
    if (single[std::size_t(b)] != kUnassigned) decodedFrom[single[std::size_t(b)]] = b;
  }
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      if (single[std::size_t(lead)] != kUnassigned) continue;
      const char16_t c = DecodeOne(decoder, std::string{char(lead), char(trail)});
      if (c == kUnassigned) continue;
      const int row = LeadIndex(std::uint8_t(lead));
      Require(row >= 0 && trail >= kTrailFirst && trail <= kTrailLast,
              "a pair outside the lead and trail ranges: " + Hex(unsigned(lead * 256 + trail)));
      pairs[std::size_t(row * kTrailCount + trail - kTrailFirst)] = c;
      decodedFrom[c] = std::uint16_t(lead * 256 + trail);
    }
  }

  std::vector<std::pair<char32_t, std::uint16_t>> overrides;
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string utf32(4, '\0');
    const auto v = std::uint32_t(cp);
    std::memcpy(utf32.data(), &v, 4);
    const auto bytes = encoder.Convert(utf32);
    if (cp >= kDroppedFirst && cp <= kDroppedLast) {
      Require(bytes && bytes->empty(), "a tag character that is not dropped");
      continue;
    }
    Require(!bytes || bytes->size() == 1 || bytes->size() == 2,
            "a character that encodes to more than two bytes");
    std::uint16_t code = 0;
    if (bytes) {
      for (char b : *bytes) code = std::uint16_t(code * 256 + std::uint8_t(b));
    }
    const auto rule = decodedFrom.find(cp);
    const std::uint16_t byRule = rule == decodedFrom.end() ? 0 : rule->second;
    if (code != byRule) overrides.emplace_back(cp, code);
  }

  std::printf(
      "// Generated by tools/cp932_table_gen from glibc's CP932 converter. Do not edit: run it "
      "again.\n"
      "// clang-format off\n"
      "#include \"core/cp932_table.h\"\n\n"
      "namespace korvath::cp932 {\n\n");
  PrintTable("const std::array<char16_t, 256> kSingle", single);
  PrintTable("const std::array<char16_t, std::size_t(kLeadCount) * kTrailCount> kDouble", pairs);
  std::printf("namespace {\n\nconstexpr std::array<EncodeOverride, %zu> kOverrides = {{\n",
              overrides.size());
  for (const auto& [cp, code] : overrides) {
    std::printf("  {%s, %s},\n", Hex(unsigned(cp)).c_str(), Hex(code).c_str());
  }
  std::printf(
      "}};\n\n}  // namespace\n\n"
      "const std::span<const EncodeOverride> kEncodeOverrides = kOverrides;\n\n"
      "}  // namespace korvath::cp932\n");
}

}  // namespace

int main() {
  try {
    Generate();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cp932_table_gen: %s\n", e.what());
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
