// The core's CP932 tables against glibc's iconv, which they were generated from: the same text
// for every byte, every pair and random strings full of bad sequences, in both directions.

#include <iconv.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <string_view>

#include "core/label_list.h"

namespace korvath {
namespace {

// The converter as the core used it before it had tables of its own: iconv, and on a sequence it
// rejects, onBad's stand-in and skip.
class Reference {
 public:
  Reference(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Reference() {
    if (ok()) ::iconv_close(cd_);
  }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is how iconv_open fails
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  template <typename OnBad>
  std::string Run(std::string_view input, OnBad onBad) {
    std::string out;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::array<char, 1024> buf;
    while (inLeft > 0) {
      char* dst = buf.data();
      std::size_t dstLeft = buf.size();
      const std::size_t r = ::iconv(cd_, &in, &inLeft, &dst, &dstLeft);
      out.append(buf.data(), std::size_t(dst - buf.data()));
      if (r != std::size_t(-1) || errno == E2BIG) continue;
      const std::size_t skip = onBad(out, std::string_view(in, inLeft));
      in += skip;
      inLeft -= skip;
      ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

std::string ReferenceDecode(std::string_view bytes) {
  static Reference conv("UTF-8", "CP932");
  return conv.Run(bytes, [](std::string& out, std::string_view rest) -> std::size_t {
    out += "\uFFFD";
    if (rest.size() < 2) return 1;
    const auto lead = static_cast<unsigned char>(rest[0]);
    const auto trail = static_cast<unsigned char>(rest[1]);
    const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return isLead && trail >= 0x80 && trail <= 0xFC ? 2 : 1;
  });
}

std::string ReferenceEncode(std::string_view utf8) {
  static Reference conv("CP932", "UTF-8");
  return conv.Run(utf8, [](std::string& out, std::string_view rest) -> std::size_t {
    out += '?';
    const auto lead = static_cast<unsigned char>(rest.front());
    std::size_t n = 1;
    if (lead >= 0xF0 && lead <= 0xF4)
      n = 4;
    else if (lead >= 0xE0 && lead <= 0xEF)
      n = 3;
    else if (lead >= 0xC2 && lead <= 0xDF)
      n = 2;
    return std::min(n, rest.size());
  });
}

class Cp932AgainstIconv : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "the tables are checked against glibc's CP932, which this C library lacks";
#endif
    if (!Reference("UTF-8", "CP932").ok()) GTEST_SKIP() << "iconv has no CP932 here";
  }
};

TEST_F(Cp932AgainstIconv, DecodesEverySingleByteAndEveryPairAlike) {
  for (int b = 0; b < 0x100; ++b) {
    const std::string one(1, char(b));
    EXPECT_EQ(DecodeCp932(one), ReferenceDecode(one)) << b;
  }
  int differing = 0;
  for (int lead = 0; lead < 0x100; ++lead) {
    for (int trail = 0; trail < 0x100; ++trail) {
      const std::string pair = {char(lead), char(trail)};
      // Also followed by a character, so a wrong length shows in what comes after.
      const std::string followed = pair + "\x82\xA0";
      if (DecodeCp932(pair) != ReferenceDecode(pair) ||
          DecodeCp932(followed) != ReferenceDecode(followed)) {
        ADD_FAILURE() << "pair " << lead << " " << trail;
        if (++differing == 20) return;
      }
    }
  }
}

// Random strings of bytes drawn to hit lead bytes, trail bytes, line ends and unassigned codes.
TEST_F(Cp932AgainstIconv, DecodesRandomStringsWithBadSequencesAlike) {
  std::mt19937 rng(932);
  constexpr std::array<unsigned char, 12> kInteresting = {0x00, 0x0D, 0x5C, 0x7F, 0x80, 0x81,
                                                          0x85, 0x9F, 0xA0, 0xE0, 0xFC, 0xFF};
  for (int n = 0; n < 5000; ++n) {
    std::string s(rng() % 24, '\0');
    for (char& c : s) c = char(rng() % 3 == 0 ? kInteresting[rng() % kInteresting.size()] : rng());
    ASSERT_EQ(DecodeCp932(s), ReferenceDecode(s)) << ::testing::PrintToString(s);
  }
}

// Every character of the BMP and a few past it, then random UTF-8 with broken sequences.
TEST_F(Cp932AgainstIconv, EncodesEveryCharacterAndRandomTextAlike) {
  auto utf8 = [](char32_t c) {
    std::string s;
    if (c < 0x80) {
      s += char(c);
    } else if (c < 0x800) {
      s += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      s += {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
    } else {
      s += {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)), char(0x80 | ((c >> 6) & 0x3F)),
            char(0x80 | (c & 0x3F))};
    }
    return s;
  };
  int differing = 0;
  for (char32_t c = 0; c < 0x10000 + 0x100; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string s = utf8(c) + "a";
    if (EncodeCp932(s) != ReferenceEncode(s)) {
      ADD_FAILURE() << "U+" << std::hex << std::uint32_t(c);
      if (++differing == 20) return;
    }
  }
  for (char32_t c : {0xE0000u, 0xE0041u, 0xE007Fu, 0xE0080u, 0x10FFFFu}) {
    EXPECT_EQ(EncodeCp932(utf8(c)), ReferenceEncode(utf8(c))) << std::hex << std::uint32_t(c);
  }
  std::mt19937 rng(16);
  const std::array<std::string, 8> pieces = {
      "漢", "ｱ", "a", "\xC3", "\xE3\x81", "\xF0\x9F\x98", "\xED\xA0\x80", "\xC0\xAF"};
  for (int n = 0; n < 3000; ++n) {
    std::string s;
    for (int k = int(rng() % 8); k > 0; --k) {
      if (rng() % 3 == 0)
        s += char(rng());
      else
        s += pieces[rng() % pieces.size()];
    }
    ASSERT_EQ(EncodeCp932(s), ReferenceEncode(s)) << ::testing::PrintToString(s);
  }
}

}  // namespace
}  // namespace korvath
