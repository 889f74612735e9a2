// DevName.dat, the viewer's channel alias file, from the input's bytes (any length: a short file
// leaves the rest of the table empty). Every alias must decode within its bounds, and an alias
// stored back as read must read the same once it holds only characters of the code page.

#include <string>

#include "history/parts/ChannelAliases.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TChannelAliasTable table;
  table.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  for (int i = 0; i < kAliasChannels; ++i) {
    const std::string alias = table.Alias(i);
    FUZZ_CHECK(alias.size() <= 3 * kAliasTextBytes);
    table.SetAlias(i, alias);  // bytes that are no character come back as '?'
    const std::string stored = table.Alias(i);
    table.SetAlias(i, stored);
    FUZZ_CHECK(table.Alias(i) == stored);
  }
  FUZZ_CHECK(table.Alias(-1).empty() && table.Alias(kAliasChannels).empty());
  return 0;
}
