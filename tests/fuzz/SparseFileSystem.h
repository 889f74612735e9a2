#pragma once
// A file system of read-only sparse files held in memory, for fuzz targets whose files are far
// larger than their inputs: a file is its size and a few extents of bytes at their offsets, and
// reads as zeros everywhere else, as a sparse file on disk does. The extents are views: the bytes
// they show (a fuzz input) must outlive every read. Nothing can be created, written, removed or
// renamed: those fail as on a read-only file system.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/File.h"
#include "platform/SystemError.h"

class SparseFileSystem final : public FileSystem {
 public:
  struct Extent {
    std::int64_t Offset;
    std::string_view Bytes;
  };
  struct Content {
    std::int64_t Size = 0;
    std::vector<Extent> Extents;  // where two overlap, the later one is read
  };

  // Makes the file under `path` (in place of any of that name): `size` bytes, `extents` over
  // zeros; the parts of extents past `size` are not in the file.
  void Put(const std::string& path, std::int64_t size, std::vector<Extent> extents) {
    Content& content = files_[path];
    content.Size = size;
    content.Extents = std::move(extents);
  }

  OpenedFile OpenExisting(const std::string& path, FileAccess access) override {
    const auto found = files_.find(path);
    if (found == files_.end()) return {FileFailure("Cannot open", path, ENOENT), nullptr};
    if (access != FileAccess::Read) return {FileFailure("Cannot open", path, EROFS), nullptr};
    return {FileStatus::Ok(), std::make_unique<SparseFile>(path, found->second)};
  }
  bool Exists(const std::string& path) override { return files_.contains(path); }
  bool SameFile(const std::string& a, const std::string& b) override {
    return a == b && files_.contains(a);
  }

  OpenedFile CreateExclusive(const std::string& path) override { return Refused(path); }
  OpenedFile CreateOrEmpty(const std::string& path) override { return Refused(path); }
  FileStatus Remove(const std::string& path) override {
    return FileFailure("Cannot remove", path, EROFS);
  }
  FileStatus Rename(const std::string& from, const std::string&) override {
    return FileFailure("Cannot rename", from, EROFS);
  }
  FileStatus Resize(const std::string& path, std::int64_t) override {
    return FileFailure("Cannot resize", path, EROFS);
  }
  FileStatus Replace(const std::string& path, std::string_view) override {
    return FileFailure("Cannot write", path, EROFS);
  }
  FileStatus MakeFolder(const std::string& path) override {
    return FileFailure("Cannot create folder", path, EROFS);
  }
  FileStatus MakeFolders(const std::string& path) override { return MakeFolder(path); }

 private:
  class SparseFile final : public File {
   public:
    SparseFile(std::string path, const Content& content)
        : File(std::move(path)), content_(content) {}

    FileStatus ReadAt(std::int64_t offset, void* data, std::size_t size,
                      std::size_t& got) override {
      got = 0;
      if (offset < 0) return FileFailure("Cannot read", Path(), EINVAL);
      if (offset >= content_.Size) return FileStatus::Ok();
      const std::int64_t end = offset + static_cast<std::int64_t>(
                                            std::min<std::uint64_t>(size, content_.Size - offset));
      got = static_cast<std::size_t>(end - offset);
      auto* out = static_cast<char*>(data);
      std::memset(out, 0, got);
      for (const Extent& extent : content_.Extents) {
        const std::int64_t from = std::max(offset, extent.Offset);
        const std::int64_t to =
            std::min(end, extent.Offset + static_cast<std::int64_t>(extent.Bytes.size()));
        if (from >= to) continue;
        std::memcpy(out + (from - offset), extent.Bytes.data() + (from - extent.Offset),
                    static_cast<std::size_t>(to - from));
      }
      return FileStatus::Ok();
    }
    FileStatus WriteAt(std::int64_t, const void*, std::size_t, std::size_t* written) override {
      if (written != nullptr) *written = 0;
      return FileFailure("Cannot write", Path(), EBADF);
    }
    FileStatus Append(const void*, std::size_t) override {
      return FileFailure("Cannot write", Path(), EBADF);
    }
    FileStatus Size(std::int64_t& size) override {
      size = content_.Size;
      return FileStatus::Ok();
    }
    FileStatus Sync() override { return FileStatus::Ok(); }
    FileStatus Close() override { return FileStatus::Ok(); }

   private:
    const Content& content_;
  };

  static OpenedFile Refused(const std::string& path) {
    return {FileFailure("Cannot create", path, EROFS), nullptr};
  }

  std::map<std::string, Content, std::less<>> files_;
};
