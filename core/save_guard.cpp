#include "core/save_guard.h"

#include <algorithm>
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
  std::vector<std::size_t> newestFirst(entries.size());
  std::iota(newestFirst.begin(), newestFirst.end(), std::size_t(0));
  std::stable_sort(newestFirst.begin(), newestFirst.end(),
                   [&](std::size_t a, std::size_t b) { return entries[a].Time > entries[b].Time; });
  std::vector<bool> drop(entries.size(), false);
  std::map<std::string_view, std::size_t> kept;
  std::uint64_t bytes = 0;
  for (const std::size_t i : newestFirst) {
    if (++kept[entries[i].Save] > maxPerSave) {
      drop[i] = true;
    } else {
      bytes += entries[i].Size;
    }
  }
  for (auto i = newestFirst.rbegin(); i != newestFirst.rend() && bytes > maxBytes; ++i) {
    if (drop[*i]) continue;
    drop[*i] = true;
    bytes -= entries[*i].Size;
  }
  std::vector<std::size_t> dropped;
  for (const std::size_t i : newestFirst) {
    if (drop[i]) dropped.push_back(i);
  }
  std::reverse(dropped.begin(), dropped.end());  // oldest first
  return dropped;
}

}  // namespace korvath
