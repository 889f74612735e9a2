#pragma once
// A file system held in memory: the file layer's interface over a map of names to bytes, for
// tests and fuzz targets that run code written for files on bytes they hold (LevelDB's memenv
// does the same). Its files behave as the system's do for everything the layer promises: reads
// stop at the end, writes past it leave zeros, exclusive creates refuse a taken name, an open
// never creates, a file opened for reading refuses writes, and failures carry the system's
// words for the same failure ("No such file or directory").
//
// Folders are not kept: a file may be made under any name, MakeFolder and MakeFolders always
// succeed, and Exists sees files only. An open file keeps its bytes after the name has been
// removed or renamed, as on the system. Not thread-safe: one thread at a time.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/File.h"

class MemoryFileSystem final : public FileSystem {
 public:
  // Makes a file of these bytes under `path`, in place of any file of that name.
  void Put(const std::string& path, std::string_view bytes);
  // The bytes of the file under `path`, or nothing when there is none.
  std::optional<std::string> Bytes(const std::string& path) const;

  OpenedFile CreateExclusive(const std::string& path) override;
  OpenedFile CreateOrEmpty(const std::string& path) override;
  OpenedFile OpenExisting(const std::string& path, FileAccess access) override;
  bool Exists(const std::string& path) override;
  FileStatus Remove(const std::string& path) override;
  FileStatus Rename(const std::string& from, const std::string& to) override;
  FileStatus Resize(const std::string& path, std::int64_t size) override;
  FileStatus Replace(const std::string& path, std::string_view content) override;
  FileStatus MakeFolder(const std::string& path) override;
  FileStatus MakeFolders(const std::string& path) override;
  bool SameFile(const std::string& a, const std::string& b) override;

 private:
  using Content = std::shared_ptr<std::string>;
  std::map<std::string, Content, std::less<>> files_;
};
