#pragma once

// Label files for tests and benchmarks.
//
//   korvath::testing::LabelFiles files = korvath::testing::LabelFiles::Standard();
//   files.area[3] = "3 Harbour\t2";               // change any line (UTF-8)
//   korvath::testing::TempLabelDir dir(files);    // writes the six files, CP932, CR LF
//   korvath::WorkingCopy copy(dir.Path());
//   dir.Remove("class.txt");                      // or WriteRaw(...) for exact bytes
//
// The folder and everything in it is removed when the TempLabelDir goes out of scope.
// Header-only, so that every test executable and the benchmark can use it.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/label_list.h"
#include "tests/core/temp_dir.h"

namespace korvath::testing {

// The lines of the six label files, in UTF-8; they are written in CP932.
struct LabelFiles {
  std::vector<std::string> plan;
  std::vector<std::string> unit;
  std::vector<std::string> pilot;
  std::vector<std::string> area;
  std::vector<std::string> klass;  // class.txt
  std::vector<std::string> special;

  // A set that passes start-up. Every line starts with its index and a blank:
  //   plan    265 lines "i 計画i"
  //   unit     40 lines "i 兵器i<TAB>種類<TAB>100+i<TAB>50+i<TAB>i%4"
  //   pilot   160 lines "i パイロットi"
  //   area     78 lines "i エリアi<TAB>i%9"
  //   class     6 lines "i 階級i"
  //   special 217 lines "i 特別i", the header lines "i 見出しi"
  static LabelFiles Standard() {
    // Built with append: GCC 12 at -O3 warns falsely (-Wrestrict) on chains of string +.
    auto numbered = [](int count, std::string_view name, auto rest) {
      std::vector<std::string> lines;
      for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        std::string line;
        line.append(n).append(" ").append(name).append(n).append(rest(i));
        lines.push_back(std::move(line));
      }
      return lines;
    };
    auto none = [](int) { return std::string(); };
    auto fields = [](std::initializer_list<std::string> values) {
      std::string rest;
      for (const auto& v : values) rest.append("\t").append(v);
      return rest;
    };
    LabelFiles f;
    f.plan = numbered(265, "計画", none);
    f.unit = numbered(40, "兵器", [&](int i) {
      return fields(
          {"種類", std::to_string(100 + i), std::to_string(50 + i), std::to_string(i % 4)});
    });
    f.pilot = numbered(160, "パイロット", none);
    f.area = numbered(78, "エリア", [&](int i) { return fields({std::to_string(i % 9)}); });
    f.klass = numbered(6, "階級", none);
    f.special = numbered(217, "特別", none);
    for (int h : {0, 85, 154, 161, 168, 175, 182, 189, 196, 203, 210}) {
      const std::string n = std::to_string(h);
      f.special[std::size_t(h)].assign(n).append(" 見出し").append(n);
    }
    return f;
  }
};

class TempLabelDir {
 public:
  explicit TempLabelDir(const LabelFiles& files = LabelFiles::Standard()) {
    WriteLines("plan.txt", files.plan);
    WriteLines("unit.txt", files.unit);
    WriteLines("pilot.txt", files.pilot);
    WriteLines("area.txt", files.area);
    WriteLines("class.txt", files.klass);
    WriteLines("special.txt", files.special);
  }

  const std::filesystem::path& Path() const { return dir_.Path(); }

  // Replaces one file with the lines encoded in CP932, each ended by CR LF.
  void WriteLines(std::string_view fileName, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes.append(EncodeCp932(line)).append("\r\n");
    WriteRaw(fileName, bytes);
  }
  // Replaces one file with exactly these bytes.
  void WriteRaw(std::string_view fileName, std::string_view bytes) {
    WriteFile(dir_ / fileName, bytes);
  }
  void Remove(std::string_view fileName) { std::filesystem::remove(dir_ / fileName); }

 private:
  TempDir dir_;
};

}  // namespace korvath::testing
