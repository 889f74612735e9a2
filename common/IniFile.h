#pragma once
// Profile (ini) files: "[section]" lines open a section, "key=value" lines set a key.
//
// Reading: section and key names match without regard to ASCII case; the blanks (spaces and
// tabs) around names and values are dropped and one pair of enclosing double quotes is removed
// from a value, which is then cut to at most 2,047 bytes (on a character boundary). The first
// matching section is the one consulted, and in it the first matching key. A missing file,
// section or key yields the default. Lines end in LF or CR LF. The file's bytes are code page
// 936; values are returned as UTF-8.
//
// Writing: each write reads the file afresh, changes one line (or adds the key, and the section
// when it is missing, creating the file when needed) and replaces the file before it returns.
// Every other line, comment and line end stays as it was; added lines take the line end of the
// file's first line (CR LF in a new file). A last line without a line end gets one before a line
// is added behind it (CR LF when it ends in a CR of its own), so that every line reads back as
// it did and the key written reads back at the next start as it does in the object. Texts are
// written as code page 936 (characters the code page lacks become '?'). A value is written up to its first line break: the rest could
// never be read back and would otherwise stand in the file as lines of their own, able to open
// a section or set a key. The file is replaced as a whole (a new file written beside it, then
// renamed over it), so a failed write leaves the previous file intact; an existing file keeps
// its permission bits, a new one gets 0644 (FileSystem::Replace). A failed write raises
// Exception naming the file and the system error.
//
// Section and key names are the program's own ASCII names: they contain no '=', ']' or line
// break.
//
// Thread-safety: an object is used by one thread at a time. Two objects on the same file see
// each other's writes only through the file (a read uses the text the object last read or
// wrote).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"

class TIniFile {
 public:
  static constexpr std::size_t kMaxValueBytes = 2047;

  // Reads the file once from `files`, which the writes then use too (it must outlive the
  // object); a file that is missing or cannot be read reads as empty.
  explicit TIniFile(std::string fileName, FileSystem& files = SystemFiles());

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Decimal (optionally signed), or hexadecimal when the text begins with "0x", within 32 bits;
  // any other text, "12abc", "$10" or "-0x10" for some, yields the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // An integer key: true for any whole number other than 0.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Decimal.
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  // "1" or "0".
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // One line of the file: its text (code page 936) and its line end ("\r\n", "\n", or "" for a
  // last line without one).
  struct Line {
    std::string Text;
    std::string End;
  };

 private:
  std::string fileName_;
  FileSystem* files_;
  std::vector<Line> lines_;  // the file as last read or written
};
