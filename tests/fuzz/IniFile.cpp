// The ini layer: a profile file of the input's bytes (held in memory) is read for the keys the
// station uses, then one key is written and the file read again as the next start would. The
// key must read back as written, and every other key as before.

#include <array>
#include <string>
#include <string_view>

#include "common/IniFile.h"
#include "platform/MemoryFileSystem.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

struct Key {
  std::string_view Section;
  std::string_view Name;
};

// Keys of the station's three ini files, and names that differ from them in case only.
constexpr std::array<Key, 8> kKeys = {{{"GSM", "COM"},
                                       {"GSM", "Delay"},
                                       {"gsm", "Text"},
                                       {"PhoneList", "Num1"},
                                       {"PhoneList", "name1"},
                                       {"MFPARA", "MFNAME"},
                                       {"PICTURE", "PointNum"},
                                       {"Picture", "FileName"}}};
constexpr std::string_view kDefault = "\x01 default";
constexpr std::string_view kValueCharacters = "0123456789abcXYZ _-.";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Key& written = kKeys[input.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)];
  std::string value(input.ConsumeIntegralInRange<std::size_t>(0, 12), 'v');
  for (char& c : value) {
    c = kValueCharacters[input.ConsumeIntegralInRange<std::size_t>(0, kValueCharacters.size() - 1)];
  }
  MemoryFileSystem files;
  files.Put("fuzz.ini", input.ConsumeRemainingBytesAsString());

  const TIniFile before("fuzz.ini", files);
  for (const Key& key : kKeys) {
    FUZZ_CHECK(before.ReadString(key.Section, key.Name, "").size() <=
               3 * TIniFile::kMaxValueBytes);
    (void)before.ReadInteger(key.Section, key.Name, -1);
    (void)before.ReadBool(key.Section, key.Name, true);
  }

  TIniFile("fuzz.ini", files).WriteString(written.Section, written.Name, value);
  const TIniFile after("fuzz.ini", files);
  // Blanks around a value are not part of it when it is read.
  const std::size_t first = value.find_first_not_of(' ');
  const std::size_t last = value.find_last_not_of(' ');
  const std::string expected =
      first == std::string::npos ? "" : value.substr(first, last - first + 1);
  FUZZ_CHECK(after.ReadString(written.Section, written.Name, kDefault) == expected);
  for (const Key& key : kKeys) {
    if (&key == &written) continue;
    FUZZ_CHECK(after.ReadString(key.Section, key.Name, kDefault) ==
               before.ReadString(key.Section, key.Name, kDefault));
  }
  return 0;
}
