#pragma once
// The channel aliases of the history viewer and their file DevName.dat. No Qt here.
//
// DevName.dat: 2,944 bytes, no header, no checksum; entry i (i = 0..127) at offset 23·i:
//   bytes 0..21  the alias of channel position i, code page 936, NUL-padded (a 22-byte alias
//                fills the field with no NUL)
//   byte  22     0, never read
// A new file is all zeros: every alias empty. Aliases belong to channel positions, not to files
// or channel names: alias i titles channel i of whatever history file is open.
//
// Not thread-safe (the viewer's GUI thread owns its table). File failures are returned as
// values that name the file; nothing here throws.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/File.h"

inline constexpr int kAliasChannels = 128;
inline constexpr int kAliasEntrySize = 23;
inline constexpr int kAliasTextBytes = 22;
inline constexpr int kAliasFileSize = kAliasChannels * kAliasEntrySize;  // 2,944
inline constexpr std::string_view kAliasFileName = "DevName.dat";

// The alias file's path in `dir` (the directory current when the viewer started). The name is
// fixed: nothing of a user's text goes into it.
std::string AliasFilePath(const std::string& dir);

class TChannelAliasTable {
 public:
  using Bytes = std::array<char, kAliasFileSize>;

  // Every byte zero.
  void Clear() { bytes_.fill(0); }

  // Alias i as UTF-8: the 22 bytes of entry i up to the first NUL. Empty for an i outside
  // 0..127 (positions beyond the table have no alias).
  std::string Alias(int i) const;
  // Bytes 0..21 of entry i := the text in code page 936, cut to 22 bytes on a character
  // boundary, NUL-padded; byte 22 is left as it is. Nothing happens for an i outside 0..127.
  void SetAlias(int i, std::string_view utf8);

  // The table from the file's bytes: a shorter file fills the front and leaves the rest empty,
  // bytes past 2,944 are ignored.
  void LoadBytes(std::string_view bytes);
  // Reads the file's first 2,944 bytes into the table (LoadBytes). A missing file is created
  // holding the table cleared (2,944 zero bytes). On a failure to read or create, the table is
  // left cleared.
  FileStatus Load(const std::string& path);
  // Writes the whole table at offset 0 of the existing file, which is never created or cut
  // here: a missing file is Missing.
  FileStatus Save(const std::string& path) const;

 private:
  Bytes bytes_{};
};
