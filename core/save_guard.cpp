#include "core/save_guard.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <numeric>

namespace korvath {

TargetState CompareTarget(std::optional<std::span<const std::uint8_t>> now,
                          std::span<const std::uint8_t> seen) {
  if (!now) return TargetState::Missing;
  return std::equal(now->begin(), now->end(), seen.begin(), seen.end()) ? TargetState::Unchanged
                                                                        : TargetState::Changed;
}

bool NeedsBackup(std::span<const std::uint8_t> old,
                 std::optional<std::span<const std::uint8_t>> newestBackup) {
  return !old.empty() && !(newestBackup && std::equal(old.begin(), old.end(), newestBackup->begin(),
                                                      newestBackup->end()));
}

namespace {

constexpr std::int64_t kMillisPerDay = 86'400'000;

struct CivilTime {
  std::int64_t Year;
  int Month, Day, Hour, Minute, Second, Milli;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms), so
// that no time zone or C library takes part.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilTime CivilFromMillis(std::int64_t ms) {
  std::int64_t days = ms / kMillisPerDay;
  std::int64_t rest = ms % kMillisPerDay;
  if (rest < 0) {
    rest += kMillisPerDay;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = int(doy - (153 * mp + 2) / 5 + 1);
  const int m = int(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2 ? 1 : 0),
          m,
          d,
          int(rest / 3'600'000),
          int(rest / 60'000 % 60),
          int(rest / 1000 % 60),
          int(rest % 1000)};
}

std::string Format(std::int64_t ms, const char* pattern) {
  const CivilTime t = CivilFromMillis(ms);
  char text[64];
  std::snprintf(text, sizeof text, pattern, static_cast<long long>(t.Year), t.Month, t.Day, t.Hour,
                t.Minute, t.Second, t.Milli);
  return text;
}

}  // namespace

std::string BackupFileName(std::int64_t unixMillis) {
  return Format(unixMillis, "%04lld%02d%02d-%02d%02d%02d-%03d.bin");
}

std::string BackupTimeText(std::int64_t unixMillis) {
  return Format(unixMillis, "%04lld-%02d-%02d %02d:%02d:%02d.%03d UTC");
}

std::optional<std::int64_t> BackupTimeOf(std::string_view name) {
  constexpr std::string_view kShape = "dddddddd-dddddd-ddd.bin";
  if (name.size() != kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if (kShape[i] == 'd' ? !digit : name[i] != kShape[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (name[i] - '0');
    return value;
  };
  const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
  const int hour = number(9, 2), minute = number(11, 2), second = number(13, 2);
  const std::int64_t ms = DaysFromCivil(year, month, day) * kMillisPerDay +
                          std::int64_t(hour) * 3'600'000 + minute * 60'000 + second * 1000 +
                          number(16, 3);
  // Out-of-range fields (month 13, 25 o'clock) do not give the name back.
  if (BackupFileName(ms) != name) return std::nullopt;
  return ms;
}

std::string BackupFolderName(std::string_view fullPath) {
  // FNV-1a: stable across builds and editions, unlike std::hash.
  std::uint32_t hash = 2166136261u;
  for (const char c : fullPath) {
    hash ^= std::uint8_t(c);
    hash *= 16777619u;
  }
  const std::size_t slash = fullPath.find_last_of('/');
  const std::string_view name =
      slash == std::string_view::npos ? fullPath : fullPath.substr(slash + 1);
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%08x", unsigned(hash));
  return std::string(name) + suffix;
}

std::vector<std::size_t> BackupsToDrop(std::span<const BackupEntry> entries, std::size_t maxPerSave,
                                       std::uint64_t maxBytes) {
  return PlanPrune(entries, {}, {maxPerSave, maxBytes}).Drop;
}

PruneStep PlanPrune(std::span<const BackupEntry> listed,
                    std::span<const BackupFolderSummary> summarised, const BackupLimits& limits) {
  PruneStep step;
  std::uint64_t bytes = 0;
  std::optional<std::size_t> oldestFolder;
  for (std::size_t f = 0; f < summarised.size(); ++f) {
    const BackupFolderSummary& folder = summarised[f];
    if (folder.Count > limits.PerSave) {
      step.List = f;
      return step;
    }
    bytes += folder.Bytes;
    if (folder.Count > 0 && (!oldestFolder || folder.Oldest < summarised[*oldestFolder].Oldest))
      oldestFolder = f;
  }
  std::vector<std::size_t> newestFirst(listed.size());
  std::iota(newestFirst.begin(), newestFirst.end(), std::size_t(0));
  std::stable_sort(newestFirst.begin(), newestFirst.end(),
                   [&](std::size_t a, std::size_t b) { return listed[a].Time > listed[b].Time; });
  std::vector<bool> drop(listed.size(), false);
  std::map<std::string_view, std::size_t> kept;
  for (const std::size_t i : newestFirst) {
    if (++kept[listed[i].Save] > limits.PerSave) {
      drop[i] = true;
    } else {
      bytes += listed[i].Size;
    }
  }
  for (auto i = newestFirst.rbegin(); i != newestFirst.rend() && bytes > limits.Bytes; ++i) {
    if (drop[*i]) continue;
    // A backup as old or older may be in a folder not listed yet.
    if (oldestFolder && summarised[*oldestFolder].Oldest <= listed[*i].Time) {
      step.List = oldestFolder;
      return step;
    }
    drop[*i] = true;
    bytes -= listed[*i].Size;
  }
  if (bytes > limits.Bytes && oldestFolder) {
    step.List = oldestFolder;
    return step;
  }
  for (const std::size_t i : newestFirst) {
    if (drop[i]) step.Drop.push_back(i);
  }
  std::reverse(step.Drop.begin(), step.Drop.end());  // oldest first
  return step;
}

namespace {

constexpr std::string_view kIndexHeader = "korvath backup index 1\n";

std::uint64_t Fnv1a64(std::string_view text) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char c : text) {
    hash ^= std::uint8_t(c);
    hash *= 1099511628211u;
  }
  return hash;
}

std::string IndexEndLine(std::string_view body) {
  char line[40];
  std::snprintf(line, sizeof line, "end %016llx\n", static_cast<unsigned long long>(Fnv1a64(body)));
  return line;
}

// The number at the start of text, followed by after; text moves past both.
template <typename Number>
std::optional<Number> TakeNumber(std::string_view& text, char after) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() + text.size() || *end != after)
    return std::nullopt;
  text.remove_prefix(std::size_t(end - text.data()) + 1);
  return value;
}

}  // namespace

std::string BackupIndexText(std::span<const IndexedFolder> folders) {
  std::string text(kIndexHeader);
  for (const IndexedFolder& folder : folders) {
    for (const std::int64_t part : folder.Stamp) text += std::to_string(part) + ' ';
    const BackupFolderSummary& s = folder.Summary;
    text += std::to_string(s.Bytes) + ' ' + std::to_string(s.Count) + ' ' +
            std::to_string(s.Oldest) + ' ' + std::to_string(s.Save.size()) + ' ' + s.Save + '\n';
  }
  return text + IndexEndLine(text);
}

std::optional<std::vector<IndexedFolder>> ParseBackupIndex(std::string_view text) {
  if (!text.starts_with(kIndexHeader) || !text.ends_with('\n')) return std::nullopt;
  const std::size_t endLine = text.rfind('\n', text.size() - 2) + 1;
  if (text.substr(endLine) != IndexEndLine(text.substr(0, endLine))) return std::nullopt;
  std::string_view rest = text.substr(kIndexHeader.size(), endLine - kIndexHeader.size());
  std::vector<IndexedFolder> folders;
  while (!rest.empty()) {
    IndexedFolder folder;
    for (std::int64_t& part : folder.Stamp) {
      const auto value = TakeNumber<std::int64_t>(rest, ' ');
      if (!value) return std::nullopt;
      part = *value;
    }
    BackupFolderSummary& s = folder.Summary;
    const auto bytes = TakeNumber<std::uint64_t>(rest, ' ');
    const auto count = TakeNumber<std::size_t>(rest, ' ');
    const auto oldest = TakeNumber<std::int64_t>(rest, ' ');
    const auto length = TakeNumber<std::size_t>(rest, ' ');
    if (!bytes || !count || !oldest || !length || *length >= rest.size() || rest[*length] != '\n')
      return std::nullopt;
    s = {std::string(rest.substr(0, *length)), *bytes, *count, *oldest};
    rest.remove_prefix(*length + 1);
    folders.push_back(std::move(folder));
  }
  return folders;
}

}  // namespace korvath
