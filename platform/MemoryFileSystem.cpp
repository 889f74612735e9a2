#include "platform/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/SystemError.h"

namespace {

FileStatus NoSuchFile(std::string_view what, const std::string& path) {
  return FileFailure(what, path, ENOENT);
}

class MemoryFile final : public File {
 public:
  MemoryFile(std::string path, std::shared_ptr<std::string> bytes, bool writable)
      : File(std::move(path)), bytes_(std::move(bytes)), writable_(writable) {}

  FileStatus ReadAt(std::int64_t offset, void* data, std::size_t size,
                    std::size_t& got) override {
    got = 0;
    if (offset < 0) return FileFailure("Cannot read", Path(), EINVAL);
    const auto at = static_cast<std::uint64_t>(offset);
    if (at >= bytes_->size()) return FileStatus::Ok();
    got = std::min<std::size_t>(size, bytes_->size() - static_cast<std::size_t>(at));
    std::memcpy(data, bytes_->data() + at, got);
    return FileStatus::Ok();
  }

  FileStatus WriteAt(std::int64_t offset, const void* data, std::size_t size,
                     std::size_t* written) override {
    if (written != nullptr) *written = 0;
    if (!writable_) return FileFailure("Cannot write", Path(), EBADF);
    if (offset < 0) return FileFailure("Cannot write", Path(), EINVAL);
    const auto at = static_cast<std::size_t>(offset);
    if (bytes_->size() < at + size) bytes_->resize(at + size, '\0');
    std::memcpy(bytes_->data() + at, data, size);
    if (written != nullptr) *written = size;
    return FileStatus::Ok();
  }

  FileStatus Append(const void* data, std::size_t size) override {
    return WriteAt(static_cast<std::int64_t>(bytes_->size()), data, size, nullptr);
  }

  FileStatus Size(std::int64_t& size) override {
    size = static_cast<std::int64_t>(bytes_->size());
    return FileStatus::Ok();
  }

  FileStatus Sync() override { return FileStatus::Ok(); }
  FileStatus Close() override { return FileStatus::Ok(); }

 private:
  std::shared_ptr<std::string> bytes_;
  bool writable_;
};

OpenedFile OpenedOn(const std::string& path, std::shared_ptr<std::string> bytes, bool writable) {
  return {FileStatus::Ok(), std::make_unique<MemoryFile>(path, std::move(bytes), writable)};
}

}  // namespace

void MemoryFileSystem::Put(const std::string& path, std::string_view bytes) {
  Content& content = files_[path];
  // A content no open file shares is refilled in place: a fuzz target puts a file of half a
  // megabyte for every input, and a fresh block that size costs more than the run itself.
  if (content != nullptr && content.use_count() == 1) {
    content->assign(bytes);
  } else {
    content = std::make_shared<std::string>(bytes);
  }
}

std::optional<std::string> MemoryFileSystem::Bytes(const std::string& path) const {
  const auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return *found->second;
}

OpenedFile MemoryFileSystem::CreateExclusive(const std::string& path) {
  if (files_.contains(path)) {
    return {FileFailure("Cannot create", path, EEXIST), nullptr};
  }
  return CreateOrEmpty(path);
}

OpenedFile MemoryFileSystem::CreateOrEmpty(const std::string& path) {
  Content& content = files_[path];
  if (content) {
    content->clear();
  } else {
    content = std::make_shared<std::string>();
  }
  return OpenedOn(path, content, true);
}

OpenedFile MemoryFileSystem::OpenExisting(const std::string& path, FileAccess access) {
  const auto found = files_.find(path);
  if (found == files_.end()) return {NoSuchFile("Cannot open", path), nullptr};
  return OpenedOn(path, found->second, access == FileAccess::ReadWrite);
}

bool MemoryFileSystem::Exists(const std::string& path) { return files_.contains(path); }

FileStatus MemoryFileSystem::Remove(const std::string& path) {
  return files_.erase(path) > 0 ? FileStatus::Ok() : NoSuchFile("Cannot remove", path);
}

FileStatus MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  const auto found = files_.find(from);
  if (found == files_.end()) return NoSuchFile("Cannot rename", from);
  Content content = found->second;
  files_.erase(found);
  files_[to] = std::move(content);
  return FileStatus::Ok();
}

FileStatus MemoryFileSystem::Resize(const std::string& path, std::int64_t size) {
  const auto found = files_.find(path);
  if (found == files_.end()) return NoSuchFile("Cannot resize", path);
  if (size < 0) return FileFailure("Cannot resize", path, EINVAL);
  found->second->resize(static_cast<std::size_t>(size), '\0');
  return FileStatus::Ok();
}

FileStatus MemoryFileSystem::Replace(const std::string& path, std::string_view content) {
  // A new string, as a new file renamed over the old one: a reader that has the old file open
  // keeps reading the old bytes.
  Put(path, content);
  return FileStatus::Ok();
}

FileStatus MemoryFileSystem::MakeFolder(const std::string&) { return FileStatus::Ok(); }
FileStatus MemoryFileSystem::MakeFolders(const std::string&) { return FileStatus::Ok(); }

bool MemoryFileSystem::SameFile(const std::string& a, const std::string& b) {
  const auto first = files_.find(a);
  const auto second = files_.find(b);
  return first != files_.end() && second != files_.end() && first->second == second->second;
}
