#include "core/int_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace korvath {
namespace {

TEST(StrToInt, AcceptsIntegersInEveryNotation) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"0", 0},
      {"12", 12},
      {"   12", 12},
      {"+12", 12},
      {"-12", -12},
      {" -1", -1},
      {"-0", 0},
      {"007", 7},
      {"$1F", 31},
      {"x1f", 31},
      {"X1F", 31},
      {"0x1F", 31},
      {"0Xff", 255},
      {"$0", 0},
      {"-$10", -16},
      {"+0x10", 16},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"$7FFFFFFF", INT32_MAX},
      {"-$80000000", INT32_MIN},
      {"0000000000000000000042", 42},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(StrToIntDef(c.text, 99), c.value) << '"' << c.text << '"';
  }
}

TEST(StrToInt, RefusesEverythingElse) {
  const char* const cases[] = {
      "",
      " ",
      "12 ",
      "1 2",
      "- 1",
      "+",
      "-",
      "$",
      "0x",
      "x",
      "abc",
      "12a",
      "1e3",
      "12.0",
      "1,000",
      "0x1G",
      "$-1",
      "--1",
      "2147483648",
      "-2147483649",
      "$80000000",
      "0xFFFFFFFF",
      "99999999999999999999",
      "１２",
      "\t",
  };
  for (const char* text : cases) {
    EXPECT_THROW(StrToInt(text), ConversionError) << '"' << text << '"';
    EXPECT_EQ(StrToIntDef(text, -1), -1) << '"' << text << '"';
  }
}

TEST(StrToInt, TheMessageQuotesTheTextAsTyped) {
  for (const std::string text : {"12 ", "", "abc", "2147483648"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + text + "' は整数ではありません");
      EXPECT_EQ(e.Text(), text);
    }
  }
}

TEST(IntToStr, WritesPlainDecimal) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(9999999), "9999999");
  EXPECT_EQ(IntToStr(16777215), "16777215");
  EXPECT_EQ(IntToStr(-1), "-1");
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntToStr(4294967295LL), "4294967295");
}

}  // namespace
}  // namespace korvath
