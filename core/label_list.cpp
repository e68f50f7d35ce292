#include "core/label_list.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "core/file_io.h"

namespace korvath {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Owns one iconv descriptor; conversion state is reset before every use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // (iconv_t)-1 is how iconv_open reports failure.
  bool ok() const {
    return cd_ != reinterpret_cast<iconv_t>(-1);
  }  // NOLINT(performance-no-int-to-ptr)

  // Converts input; onBad appends a stand-in for a sequence that does not convert and says how
  // many input bytes to skip.
  template <typename OnBad>
  std::string Run(std::string_view input, OnBad onBad) {
    std::string out;
    if (!ok()) return out;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::array<char, 1024> buf;
    while (inLeft > 0) {
      char* dst = buf.data();
      std::size_t dstLeft = buf.size();
      const std::size_t r = ::iconv(cd_, &in, &inLeft, &dst, &dstLeft);
      out.append(buf.data(), std::size_t(dst - buf.data()));
      if (r != std::size_t(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut off at the end): replace and go on after it.
      const std::size_t skip = onBad(out, std::string_view(in, inLeft));
      in += skip;
      inLeft -= skip;
      ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf.data();
    std::size_t dstLeft = buf.size();
    ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buf.data(), std::size_t(dst - buf.data()));
    return out;
  }

 private:
  iconv_t cd_;
};

// Bytes of an undecodable CP932 sequence to drop. A lead byte followed by a non-ASCII trail byte
// is one unassigned character: dropping the lead alone would read its trail as the next lead and
// garble the character after it. An ASCII byte after a lead is kept, as it is likely text.
std::size_t Cp932BadLength(std::string_view rest) {
  if (rest.size() < 2) return 1;
  const auto lead = static_cast<unsigned char>(rest[0]);
  const auto trail = static_cast<unsigned char>(rest[1]);
  const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
  return isLead && trail >= 0x80 && trail <= 0xFC ? 2 : 1;
}

// Length of the UTF-8 sequence that starts with lead, 1 for a byte that cannot start one.
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
  // Parse decodes line by line, so one descriptor serves them all.
  thread_local Converter conv("UTF-8", "CP932");
  if (!conv.ok()) {
    // Without the converter, keep ASCII and mark everything else as undecodable.
    std::string out;
    for (char c : bytes) {
      if (static_cast<unsigned char>(c) < 0x80)
        out += c;
      else
        out += kReplacement;
    }
    return out;
  }
  return conv.Run(bytes, [](std::string& out, std::string_view rest) {
    out += kReplacement;
    return Cp932BadLength(rest);
  });
}

std::string EncodeCp932(std::string_view utf8) {
  thread_local Converter conv("CP932", "UTF-8");
  if (!conv.ok()) {
    std::string out;
    for (char c : utf8) {
      if (static_cast<unsigned char>(c) < 0x80) out += c;
    }
    return out;
  }
  return conv.Run(utf8, [](std::string& out, std::string_view rest) {
    out += '?';
    const std::size_t n = Utf8Length(static_cast<unsigned char>(rest.front()));
    return n <= rest.size() ? n : rest.size();
  });
}

LabelList LabelList::Parse(std::string_view fileBytes) {
  const std::size_t nul = fileBytes.find('\0');
  const std::string_view text = fileBytes.substr(0, nul);
  std::vector<std::string> entries;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size() && entries.size() < std::size_t(kMaxEntries)) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    entries.push_back(DecodeCp932(text.substr(start, i - start)));
    // CR LF is one line end; LF CR is two.
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size() && entries.size() < std::size_t(kMaxEntries))
    entries.push_back(DecodeCp932(text.substr(start)));
  return LabelList(std::move(entries));
}

const std::string& LabelList::Label(int64_t v) const {
  static const std::string kNone;
  if (v < 0 || v >= int64_t(entries_.size())) return kNone;
  return entries_[std::size_t(v)];
}

std::string LabelList::CutToName(int i) {
  std::string& entry = entries_.at(std::size_t(i));
  const std::size_t tab = entry.find('\t');
  if (tab == std::string::npos) {
    std::string whole = std::move(entry);
    entry.clear();
    return whole;
  }
  std::string rest = entry.substr(tab + 1);
  entry.resize(tab);
  return rest;
}

namespace {

// Label files are small; anything past this is not a label file.
constexpr std::uintmax_t kMaxLabelFileSize = 4u * 1024u * 1024u;

LabelList ReadOne(const std::filesystem::path& dir, const char* name) {
  const auto bytes = ReadWholeFile(dir / name, kMaxLabelFileSize);
  if (!bytes) throw StartupError();
  return LabelList::Parse(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

}  // namespace

LabelSet ReadLabelLists(const std::filesystem::path& dir) {
  LabelSet set;
  set.plan = ReadOne(dir, kLabelFileNames[0]);
  set.unit = ReadOne(dir, kLabelFileNames[1]);
  set.pilot = ReadOne(dir, kLabelFileNames[2]);
  set.area = ReadOne(dir, kLabelFileNames[3]);
  set.klass = ReadOne(dir, kLabelFileNames[4]);
  set.special = ReadOne(dir, kLabelFileNames[5]);
  if (set.area.Count() < kMinAreaEntries || set.special.Count() < kMinSpecialEntries) {
    throw StartupError();
  }
  return set;
}

std::filesystem::path ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

}  // namespace korvath
