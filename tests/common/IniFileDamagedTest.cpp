// Profile files of noise: pieces of ini syntax, line ends of every kind, NULs and bytes that are
// no code page 936 characters, in random order. Reading never fails and keeps to the value
// limit; a write changes the one key and keeps every other line, and reads back as written.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "common/IniFile.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kFiles = 200;
constexpr int kPiecesPerFile = 120;

// Pieces that make sections, keys and values of the names the test uses, mixed with noise.
std::string NoisyIniFile(std::mt19937& random) {
  static const std::vector<std::string> kPieces = {"[",
                                                   "]",
                                                   "=",
                                                   "\r",
                                                   "\n",
                                                   "\r\n",
                                                   " ",
                                                   "\t",
                                                   "\"",
                                                   std::string(1, '\0'),
                                                   "GSM",
                                                   "gsm",
                                                   "[GSM]",
                                                   "[ gsm ]\r\n",
                                                   "Text",
                                                   "TEXT",
                                                   "Text=",
                                                   "Delay=",
                                                   "0x",
                                                   "-",
                                                   "12",
                                                   "\x81",
                                                   "\xFF",
                                                   "\xB9\xF8",
                                                   "[PhoneList]\n",
                                                   "Num1=",
                                                   "\xEF\xBB\xBF",
                                                   std::string(3000, 'v')};
  std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string file;
  for (int i = 0; i < kPiecesPerFile; ++i) {
    if (random() % 8 == 0) {
      file += static_cast<char>(byte(random));
    } else {
      file += kPieces[piece(random)];
    }
  }
  return file;
}

// The lines of a file without their line ends. Trailing CRs are dropped from every line: a last
// line without a line end (which may end in a CR of its own) gets one when a line is added
// behind it.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// `after` is `before` with the line of the key written as `value` added (behind a new section
// line, and a blank line, when the section was missing) or put in place of one line.
bool OnlyTheKeyChanged(const std::vector<std::string>& before, std::vector<std::string> after,
                       const std::string& value) {
  const auto isKeyLine = [&](const std::string& line) { return line.ends_with("=" + value); };
  if (std::count_if(after.begin(), after.end(), isKeyLine) != 1) return false;
  after.erase(std::find_if(after.begin(), after.end(), isKeyLine));
  if (after == before) return true;
  for (std::size_t i = 0; i < before.size(); ++i) {
    std::vector<std::string> replaced = before;
    replaced.erase(replaced.begin() + static_cast<std::ptrdiff_t>(i));
    if (after == replaced) return true;
  }
  if (after.empty() || after.back() != "[GSM]") return false;
  after.pop_back();
  if (after != before && !after.empty() && after.back().empty()) after.pop_back();
  return after == before;
}

TEST(IniFileDamaged, NoiseReadsWithinTheLimitsAndAWriteChangesOnlyItsKey) {
  TempDir dir;
  const std::string path = dir.File("noise.ini");
  std::mt19937 random(2047);
  for (int n = 0; n < kFiles; ++n) {
    SCOPED_TRACE("file " + std::to_string(n));
    const std::string noise = NoisyIniFile(random);
    WriteFileBytes(path, noise);
    TIniFile ini(path);
    for (const char* key : {"Text", "Delay", "Num1"}) {
      // Code page 936 bytes become at most 3 UTF-8 bytes each.
      EXPECT_LE(ini.ReadString("GSM", key, "").size(), 3 * TIniFile::kMaxValueBytes);
      (void)ini.ReadInteger("GSM", key, 0);
    }
    const std::string value = "v" + std::to_string(random());
    ini.WriteString("GSM", "Text", value);
    EXPECT_EQ(TIniFile(path).ReadString("GSM", "Text", ""), value);

    EXPECT_TRUE(OnlyTheKeyChanged(LinesOf(noise), LinesOf(ReadFileBytes(path)), value));
  }
}

}  // namespace
