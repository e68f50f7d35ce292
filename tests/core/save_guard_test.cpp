#include "core/save_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace korvath {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(SaveGuardTest, OnlyTheSameBytesCountAsUnchanged) {
  EXPECT_EQ(CompareTarget(Bytes("abc"), Bytes("abc")), TargetState::Unchanged);
  EXPECT_EQ(CompareTarget(Bytes("abd"), Bytes("abc")), TargetState::Changed);
  EXPECT_EQ(CompareTarget(Bytes("abcd"), Bytes("abc")), TargetState::Changed);
  EXPECT_EQ(CompareTarget(Bytes(""), Bytes("abc")), TargetState::Changed);
  EXPECT_EQ(CompareTarget(std::nullopt, Bytes("abc")), TargetState::Missing);
  EXPECT_TRUE(NeedsBackup(Bytes("old"), std::nullopt));
  EXPECT_TRUE(NeedsBackup(Bytes("old"), Bytes("older")));
  EXPECT_FALSE(NeedsBackup(Bytes("old"), Bytes("old")));
  EXPECT_FALSE(NeedsBackup(Bytes(""), std::nullopt));
}

TEST(SaveGuardTest, BackupNamesAreUtcTimesThatSortAsTheTimesDo) {
  EXPECT_EQ(BackupFileName(1796668215123), "20261207-183015-123.bin");
  EXPECT_EQ(BackupTimeText(1796668215123), "2026-12-07 18:30:15.123 UTC");
  EXPECT_EQ(BackupFileName(-1), "19691231-235959-999.bin");
  std::mt19937_64 random(3);
  std::vector<std::int64_t> times;
  for (int i = 0; i < 2000; ++i) times.push_back(std::int64_t(random() % 8'000'000'000'000));
  for (const std::int64_t t : times) {
    ASSERT_EQ(BackupTimeOf(BackupFileName(t)), std::optional(t)) << t;
    const std::int64_t u = times[std::size_t(random() % times.size())];
    ASSERT_EQ(t < u, BackupFileName(t) < BackupFileName(u)) << t << " " << u;
  }
  for (const char* other : {"20261307-183015-123.bin", "20261207-243015-123.bin",
                            "20260230-183015-123.bin", "20261207-183015-123.bak",
                            "2026120-183015-1234.bin", "20261207_183015_123.bin", "", "x.bin"})
    EXPECT_EQ(BackupTimeOf(other), std::nullopt) << other;
}

TEST(SaveGuardTest, EachSaveHasItsOwnFolderNamedAfterIt) {
  const std::string a = BackupFolderName("/home/p/saves/slot1.bin");
  EXPECT_EQ(a.rfind("slot1.bin-", 0), 0u);
  EXPECT_EQ(a.size(), std::string("slot1.bin-").size() + 8);
  EXPECT_EQ(a, BackupFolderName("/home/p/saves/slot1.bin"));
  EXPECT_NE(a, BackupFolderName("/home/p/other/slot1.bin"));
}

TEST(SaveGuardTest, TheOldestBackupsGoFirstWithinBothBounds) {
  // Saves a, b and c saved in turn, b's backups large: a per-save count bound and a total.
  std::vector<BackupEntry> entries;
  for (int i = 0; i < 30; ++i) {
    entries.push_back({"a", 1000 + i * 3, 10});
    entries.push_back({"b", 1001 + i * 3, 100});
    entries.push_back({"c", 1002 + i * 3, 10});
  }
  std::shuffle(entries.begin(), entries.end(), std::mt19937(5));
  const auto dropped = BackupsToDrop(entries, 20, 2000);
  std::vector<bool> gone(entries.size(), false);
  for (std::size_t k = 0; k < dropped.size(); ++k) {
    gone[dropped[k]] = true;
    if (k > 0) {
      EXPECT_LT(entries[dropped[k - 1]].Time, entries[dropped[k]].Time);
    }
  }
  std::map<std::string, int> kept;
  std::uint64_t bytes = 0;
  std::int64_t oldestKept = INT64_MAX, newestGone = INT64_MIN;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (gone[i]) continue;
    ++kept[entries[i].Save];
    bytes += entries[i].Size;
    oldestKept = std::min(oldestKept, entries[i].Time);
  }
  EXPECT_LE(bytes, 2000u);
  for (const auto& [save, count] : kept) EXPECT_LE(count, 20) << save;
  // Past the count bound, nothing newer than a kept backup was dropped to meet the total.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (gone[i] && entries[i].Time >= 1000 + 10 * 3)
      newestGone = std::max(newestGone, entries[i].Time);
  }
  EXPECT_LT(newestGone, oldestKept);
  // Bytes to spare: only the count bound drops.
  EXPECT_EQ(BackupsToDrop(entries, 20, 1 << 20).size(), 30u);
  EXPECT_TRUE(BackupsToDrop(entries).empty());
}

// Folders known only by their summaries are listed when the decision needs them, and the
// decision is then the one a full listing gives.
TEST(SaveGuardTest, PruningFromSummariesDropsWhatAFullListingWould) {
  std::mt19937 random(7);
  for (int round = 0; round < 500; ++round) {
    const BackupLimits limits{1 + random() % 6, 100 + random() % 2000};
    std::vector<BackupEntry> all;
    const int folders = 1 + int(random() % 6);
    for (std::int64_t time = 0, n = random() % 40; time < n; ++time)
      all.push_back({std::to_string(random() % folders), time, 10 + random() % 200});
    std::shuffle(all.begin(), all.end(), random);
    // A random part of the folders only summarised; indices into all for the rest.
    std::vector<BackupEntry> listed;
    std::vector<std::size_t> listedAt;
    std::vector<BackupFolderSummary> summarised;
    for (int f = 0; f < folders; ++f) {
      const std::string save = std::to_string(f);
      const bool summary = random() % 2 == 0;
      if (summary) summarised.push_back({save, 0, 0, INT64_MAX});
      for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].Save != save) continue;
        if (!summary) {
          listed.push_back(all[i]);
          listedAt.push_back(i);
          continue;
        }
        BackupFolderSummary& s = summarised.back();
        s.Bytes += all[i].Size;
        ++s.Count;
        s.Oldest = std::min(s.Oldest, all[i].Time);
      }
    }
    PruneStep step;
    while ((step = PlanPrune(listed, summarised, limits)).List) {
      const std::string save = summarised[*step.List].Save;
      summarised.erase(summarised.begin() + std::ptrdiff_t(*step.List));
      for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].Save != save) continue;
        listed.push_back(all[i]);
        listedAt.push_back(i);
      }
    }
    std::vector<std::size_t> dropped;
    for (const std::size_t i : step.Drop) dropped.push_back(listedAt[i]);
    std::vector<std::size_t> full = BackupsToDrop(all, limits.PerSave, limits.Bytes);
    std::sort(dropped.begin(), dropped.end());
    std::sort(full.begin(), full.end());
    ASSERT_EQ(dropped, full) << "round " << round;
  }
}

// The index comes back as written, odd folder names included; a text cut short or changed in
// any byte is no index at all, so the store is listed instead.
TEST(SaveGuardTest, TheBackupIndexReadsBackWholeOrNotAtAll) {
  const std::vector<IndexedFolder> folders = {
      {{"save.bin-0a1b2c3d", 18368 * 50, 50, 1'765'000'000'000}, {12, 1'765'000'000, 999, 4096}},
      {{"a b\n9 9 9-00000000", 7, 1, -5}, {-1, 0, 0, 0}},
      {{"", 0, 0, 0}, {}}};
  const std::string text = BackupIndexText(folders);
  EXPECT_EQ(ParseBackupIndex(text), folders);
  EXPECT_EQ(ParseBackupIndex(BackupIndexText({})), std::optional(std::vector<IndexedFolder>{}));
  for (std::size_t i = 0; i < text.size(); ++i) {
    EXPECT_FALSE(ParseBackupIndex(text.substr(0, i))) << i;
    std::string changed = text;
    ++changed[i];
    EXPECT_FALSE(ParseBackupIndex(changed)) << i;
  }
}

}  // namespace
}  // namespace korvath
