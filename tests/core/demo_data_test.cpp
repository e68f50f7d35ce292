#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/grid_layout.h"
#include "core/label_folders.h"
#include "core/label_list.h"
#include "core/working_copy.h"

namespace korvath {
namespace {

const std::filesystem::path kDemoDir = KORVATH_DEMO_DIR;

TEST(DemoData, LabelFilesKeepTheFormat) {
  const LabelSet labels = ReadLabelLists(kDemoDir);
  EXPECT_EQ(labels.plan.Count(), 265);
  EXPECT_EQ(labels.special.Count(), 217);
  EXPECT_GE(labels.area.Count(), kMinAreaEntries);
  EXPECT_GT(labels.klass.Count(), 0);
  // The unit editor reads ids from the number in front of these entries.
  for (const LabelList* list : {&labels.unit, &labels.pilot, &labels.area}) {
    ASSERT_GT(list->Count(), 0);
    for (int i = 0; i < list->Count(); ++i) {
      EXPECT_TRUE(list->Entry(i).starts_with(std::to_string(i) + " ")) << list->Entry(i);
      EXPECT_EQ(list->Entry(i).find("\uFFFD"), std::string::npos) << list->Entry(i);
    }
  }
  for (int i = 0; i < labels.unit.Count(); ++i) {
    const std::string& e = labels.unit.Entry(i);
    EXPECT_EQ(std::count(e.begin(), e.end(), '\t'), 4) << e;
  }
}

TEST(DemoData, SaveSurvivesALoadAndStoreUnchanged) {
  const auto bytes = ReadWholeFile(kDemoDir / "demo.bin", SaveImage::Capacity);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), std::size_t(SaveImage::Capacity));
  WorkingCopy copy(kDemoDir);
  ASSERT_TRUE(copy.Open(*bytes, "demo.bin"));
  copy.StorePass();
  const auto stored = copy.Image().Contents();
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), bytes->begin(), bytes->end()));
}

TEST(DemoData, EveryForceHasUnitsAndCarriersHaveRoom) {
  WorkingCopy copy(kDemoDir);
  const auto bytes = ReadWholeFile(kDemoDir / "demo.bin", SaveImage::Capacity);
  ASSERT_TRUE(bytes);
  ASSERT_TRUE(copy.Open(*bytes, "demo.bin"));
  for (int force = 0; force < 3; ++force) {
    const CellGrid& units = copy.Grid(UnitGridOf(force));
    int present = 0;
    std::vector<int> aboard(200, 0);
    for (int row = 1; row <= 200; ++row) {
      if (units.Cell(row, 1) != "511") ++present;
      if (units.Cell(row, 11) == "1") ++aboard[std::size_t(std::stoi(units.Cell(row, 12)))];
    }
    EXPECT_GT(present, 20) << force;
    for (int slot = 0; slot < 200; ++slot) {
      if (aboard[std::size_t(slot)] == 0) continue;
      const int type = std::stoi(units.Cell(slot + 1, 1));
      EXPECT_LE(aboard[std::size_t(slot)], copy.WeaponCapacity(type)) << force << " " << slot;
    }
  }
}

}  // namespace
}  // namespace korvath
