#include "common/FixedText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // "中文"
const std::string kChineseCp936 = "\xD6\xD0\xCE\xC4";

template <std::size_t N>
std::string Raw(const char (&field)[N]) {
  return std::string(field, N);
}

TEST(FixedText, ReadStopsAtTheFirstNulOrTheWidth) {
  const char field[6] = {'C', 'H', '1', '\0', 'x', 'y'};
  EXPECT_EQ(ReadFixedText(field), "CH1");
  const char full[4] = {'\xD6', '\xD0', 'C', 'D'};  // no NUL: the whole field, nothing beyond
  EXPECT_EQ(ReadFixedText(full), "\xE4\xB8\xAD" "CD");
}

TEST(FixedText, WriteCutsOnACharacterBoundaryAndKeepsTheBytesBehind) {
  char field[6];
  std::fill(std::begin(field), std::end(field), '#');
  WriteFixedText(field, "ab");
  EXPECT_EQ(Raw(field), std::string("ab\0###", 6));
  WriteFixedText(field, "abcdefgh");
  EXPECT_EQ(Raw(field), std::string("abcde\0", 6));
  // "ab中文" is 6 bytes; 5 are free, and "文" would need bytes 5 and 6.
  WriteFixedText(field, "ab" + kChineseUtf8);
  EXPECT_EQ(Raw(field), std::string("ab\xD6\xD0\0\0", 6));
  char one[1] = {'x'};
  WriteFixedText(one, "abc");
  EXPECT_EQ(one[0], '\0');
}

TEST(FixedText, CutCountsLeadBytesAsPairs) {
  const std::string mixed = "a" + kChineseCp936 + "\x80" "b";  // a, 中, 文, euro, b
  EXPECT_EQ(CutCp936(mixed, 2), "a");
  EXPECT_EQ(CutCp936(mixed, 3), "a\xD6\xD0");
  EXPECT_EQ(CutCp936(mixed, 6), "a" + kChineseCp936 + "\x80");
  EXPECT_EQ(CutCp936(mixed, 100), mixed);
  EXPECT_EQ(CutCp936("ab\xD6", 3), "ab\xD6");  // a lone lead byte at the end is one byte
}

TEST(FixedText, TwentyChineseCharactersInANameField) {
  char name[40];
  std::string twenty;
  for (int i = 0; i < 10; ++i) twenty += kChineseUtf8;
  WriteFixedText(name, twenty);  // 40 bytes: 19 characters fit, the 20th is dropped whole
  EXPECT_EQ(FixedBytes(name).size(), 38u);
  EXPECT_EQ(ReadFixedText(name), twenty.substr(0, 19 * 3));
}

}  // namespace
