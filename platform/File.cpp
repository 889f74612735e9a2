#include "platform/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/SystemError.h"

static_assert(sizeof(off_t) >= 8, "64-bit file offsets are needed");

namespace {

// Files are created as the C library creates them: readable and writable by all, less the umask.
constexpr mode_t kCreateMode = 0666;
// A file that Replace creates where there was none.
constexpr mode_t kReplacedFileMode = 0644;
constexpr std::size_t kReadChunk = 64 * 1024;

// Every open is made without blocking: a named pipe (or a device) under a file's name would
// otherwise hold the program in open() until someone opens its other end. What is opened is a
// file again once open: blocking as usual for its reads and writes.
int OpenRetrying(const std::string& path, int flags, mode_t mode = 0) {
  const int fd = RetryInterrupted(
      [&] { return ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode); });
  if (fd >= 0) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  return fd;
}

// The reason an open of something that is not a regular file is refused with: the system's own
// words for a folder, and for a pipe, a device or a socket words in their manner.
std::string NotAFileReason(mode_t type) {
  return S_ISDIR(type) ? ErrnoText(EISDIR) : std::string(kNotAFileReason);
}

// Writes `size` bytes through `writeFrom(done)`, which writes what is left from byte `done` on,
// until all are written. Returns 0, else the errno value of the failure (EIO for a write that
// took nothing); `done` tells how many bytes were written.
template <typename WriteFrom>
int WriteFully(std::size_t size, std::size_t& done, WriteFrom writeFrom) {
  done = 0;
  while (done < size) {
    const ssize_t n = RetryInterrupted([&] { return writeFrom(done); });
    if (n == 0) return EIO;
    if (n < 0) return errno;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

class PosixFile final : public File {
 public:
  PosixFile(std::string path, int fd) : File(std::move(path)), fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  FileStatus ReadAt(std::int64_t offset, void* data, std::size_t size,
                    std::size_t& got) override {
    auto* bytes = static_cast<char*>(data);
    got = 0;
    while (got < size) {
      const ssize_t n = RetryInterrupted(
          [&] { return ::pread(fd_, bytes + got, size - got, offset + std::int64_t(got)); });
      if (n == 0) break;  // the end of the file
      if (n < 0) return FileFailure("Cannot read", Path(), errno);
      got += static_cast<std::size_t>(n);
    }
    return FileStatus::Ok();
  }

  FileStatus WriteAt(std::int64_t offset, const void* data, std::size_t size,
                     std::size_t* written) override {
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    const int error = WriteFully(size, done, [&](std::size_t from) {
      return ::pwrite(fd_, bytes + from, size - from, offset + std::int64_t(from));
    });
    if (written != nullptr) *written = done;
    return error == 0 ? FileStatus::Ok() : FileFailure("Cannot write", Path(), error);
  }

  FileStatus Append(const void* data, std::size_t size) override {
    // A device or pipe has no end to move to; it takes the bytes where it stands.
    if (::lseek(fd_, 0, SEEK_END) < 0 && errno != ESPIPE) {
      return FileFailure("Cannot write", Path(), errno);
    }
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    const int error = WriteFully(size, done, [&](std::size_t from) {
      return ::write(fd_, bytes + from, size - from);
    });
    return error == 0 ? FileStatus::Ok() : FileFailure("Cannot write", Path(), error);
  }

  FileStatus Size(std::int64_t& size) override {
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end < 0) return FileFailure("Cannot read the size of", Path(), errno);
    size = end;
    return FileStatus::Ok();
  }

  FileStatus Sync() override {
    const int result = RetryInterrupted([&] { return ::fsync(fd_); });
    return result == 0 ? FileStatus::Ok() : FileFailure("Cannot write", Path(), errno);
  }

  FileStatus Close() override {
    const int fd = fd_;
    fd_ = -1;
    // Not retried on EINTR: on Linux the descriptor is released whatever close reports.
    return ::close(fd) == 0 ? FileStatus::Ok() : FileFailure("Cannot write", Path(), errno);
  }

  int Descriptor() const { return fd_; }

  FileStatus SetMode(mode_t mode) {
    return ::fchmod(fd_, mode) == 0 ? FileStatus::Ok() : FileFailure("Cannot write", Path(), errno);
  }

 private:
  int fd_;
};

OpenedFile Opened(const std::string& path, int fd, std::string_view failure) {
  if (fd < 0) return {FileFailure(failure, path, errno), nullptr};
  return {FileStatus::Ok(), std::make_unique<PosixFile>(path, fd)};
}

// The file that a replacement replaces: the target of a symbolic link, else the name itself.
std::string ResolvedTarget(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  std::free(resolved);
  return target;
}

class PosixFileSystem final : public FileSystem {
 public:
  OpenedFile CreateExclusive(const std::string& path) override {
    return Opened(path, OpenRetrying(path, O_WRONLY | O_CREAT | O_EXCL, kCreateMode),
                  "Cannot create");
  }

  OpenedFile CreateOrEmpty(const std::string& path) override {
    return Opened(path, OpenRetrying(path, O_WRONLY | O_CREAT | O_TRUNC, kCreateMode),
                  "Cannot create");
  }

  OpenedFile OpenExisting(const std::string& path, FileAccess access) override {
    const int flags = access == FileAccess::Read ? O_RDONLY : O_RDWR;
    OpenedFile opened = Opened(path, OpenRetrying(path, flags), "Cannot open");
    if (!opened.Status.ok()) return opened;
    // Looked at on the open descriptor, so nothing can be swapped in between the look and the
    // open.
    struct stat info {};
    const int fd = static_cast<PosixFile&>(*opened.Handle).Descriptor();
    if (::fstat(fd, &info) != 0) return {FileFailure("Cannot open", path, errno), nullptr};
    if (S_ISREG(info.st_mode)) return opened;
    const FileStatus refused{FileError::NotFile, {}, NotAFileReason(info.st_mode)};
    return {refused.As("Cannot open", path), nullptr};
  }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
  }

  FileStatus Remove(const std::string& path) override {
    return std::remove(path.c_str()) == 0 ? FileStatus::Ok()
                                          : FileFailure("Cannot remove", path, errno);
  }

  FileStatus Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? FileStatus::Ok()
                                                   : FileFailure("Cannot rename", from, errno);
  }

  FileStatus Resize(const std::string& path, std::int64_t size) override {
    const int result = RetryInterrupted([&] { return ::truncate(path.c_str(), size); });
    return result == 0 ? FileStatus::Ok() : FileFailure("Cannot resize", path, errno);
  }

  FileStatus Replace(const std::string& path, std::string_view content) override {
    const std::string target = ResolvedTarget(path);
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                               : kReplacedFileMode;
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return FileFailure("Cannot write", path, errno);
    // Every failure below names the file being replaced, not the temporary one.
    PosixFile file(path, fd);
    FileStatus status = file.SetMode(mode);
    if (status.ok()) status = file.WriteAt(0, content.data(), content.size(), nullptr);
    if (status.ok()) status = file.Sync();
    const FileStatus closed = file.Close();
    if (status.ok()) status = closed;
    if (status.ok() && ::rename(temporary.c_str(), target.c_str()) != 0) {
      status = FileFailure("Cannot write", path, errno);
    }
    if (!status.ok()) ::unlink(temporary.c_str());
    return status;
  }

  FileStatus MakeFolder(const std::string& path) override {
    std::error_code ec;
    std::filesystem::create_directory(path, ec);
    // A folder that cannot even be looked at (a symbolic link loop, for one) is reported like
    // one that cannot be made.
    std::error_code ignored;
    if (!ec || std::filesystem::is_directory(path, ignored)) return FileStatus::Ok();
    return FolderFailure(path, ec);
  }

  FileStatus MakeFolders(const std::string& path) override {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (!ec && std::filesystem::is_directory(path, ec)) return FileStatus::Ok();
    if (!ec) {
      return FileStatus::Fail(FileError::Io, "Cannot create folder " + path + ": not a folder");
    }
    return FolderFailure(path, ec);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    std::error_code ignored;
    return std::filesystem::equivalent(a, b, ignored);
  }

 private:
  static FileStatus FolderFailure(const std::string& path, const std::error_code& ec) {
    FileStatus status = FileFailure("Cannot create folder", path, ec.value());
    status.Error = FileError::Io;  // whatever stands in the way, the folder is not there
    return status;
  }
};

}  // namespace

FileStatus File::ReadFullyAt(std::int64_t offset, void* data, std::size_t size) {
  std::size_t got = 0;
  const FileStatus status = ReadAt(offset, data, size, got);
  if (!status.ok() || got == size) return status;
  // The file ends before what was asked for: an I/O error, not a short answer.
  return FileFailure("Cannot read", Path(), EIO);
}

FileSystem& SystemFiles() {
  static PosixFileSystem files;
  return files;
}

FileStatus CreateNewFile(const std::string& path, const void* data, std::size_t size,
                         FileSystem& files) {
  OpenedFile created = files.CreateExclusive(path);
  if (!created.Status.ok()) return created.Status;
  FileStatus status = created.Handle->WriteAt(0, data, size, nullptr);
  const FileStatus closed = created.Handle->Close();
  if (status.ok()) status = closed;
  if (!status.ok()) (void)files.Remove(path);  // a short file would pass for a damaged one
  return status;
}

FileStatus WriteExistingFileAt(const std::string& path, std::int64_t offset, const void* data,
                               std::size_t size, FileSystem& files) {
  OpenedFile opened = files.OpenExisting(path, FileAccess::ReadWrite);
  if (!opened.Status.ok()) return opened.Status;
  FileStatus status = opened.Handle->WriteAt(offset, data, size, nullptr);
  const FileStatus closed = opened.Handle->Close();
  return status.ok() ? closed : status;
}

FileStatus ReadWholeFile(const std::string& path, std::string& content, FileSystem& files) {
  content.clear();
  OpenedFile opened = files.OpenExisting(path, FileAccess::Read);
  if (!opened.Status.ok()) return opened.Status;
  for (;;) {
    const std::size_t had = content.size();
    content.resize(had + kReadChunk);
    std::size_t got = 0;
    const FileStatus status = opened.Handle->ReadAt(std::int64_t(had), content.data() + had,
                                                   kReadChunk, got);
    content.resize(had + got);
    if (!status.ok()) return status;
    if (got < kReadChunk) return FileStatus::Ok();
  }
}

FileStatus SequentialReader::Read(void* data, std::size_t size, std::size_t& got) {
  auto* out = static_cast<char*>(data);
  got = 0;
  while (got < size) {
    if (taken_ == block_.size()) {
      block_.clear();
      taken_ = 0;
      const std::size_t wanted = size - got;
      // Right after a skip, or for a large read, only what is asked is read: bytes read ahead
      // would mostly be skipped again.
      if (skipped_ || wanted >= kBlockSize) {
        skipped_ = false;
        std::size_t n = 0;
        const FileStatus status = file_.ReadAt(position_, out + got, wanted, n);
        got += n;
        position_ += std::int64_t(n);
        return status;
      }
      block_.resize(kBlockSize);
      std::size_t n = 0;
      const FileStatus status = file_.ReadAt(position_, block_.data(), kBlockSize, n);
      block_.resize(n);
      if (!status.ok()) return status;
      if (n == 0) return FileStatus::Ok();  // the end of the file
    }
    const std::size_t step = std::min(size - got, block_.size() - taken_);
    std::memcpy(out + got, block_.data() + taken_, step);
    taken_ += step;
    got += step;
    position_ += std::int64_t(step);
  }
  return FileStatus::Ok();
}

void SequentialReader::Skip(std::int64_t bytes) {
  position_ += bytes;
  const auto buffered = static_cast<std::int64_t>(block_.size() - taken_);
  if (bytes >= 0 && bytes <= buffered) {
    taken_ += static_cast<std::size_t>(bytes);
    return;
  }
  block_.clear();
  taken_ = 0;
  skipped_ = true;
}

FileStatus AppendBuffer::Append(std::string_view text) {
  pending_ += text;
  return pending_.size() >= kBlockSize ? Flush() : FileStatus::Ok();
}

FileStatus AppendBuffer::Flush() {
  if (pending_.empty()) return FileStatus::Ok();
  const FileStatus status = file_.Append(pending_.data(), pending_.size());
  pending_.clear();
  return status;
}

FileStatus WorkingDirectory(std::string& path) {
  std::vector<char> buffer(256);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    const int error = errno;
    if (error != ERANGE) {
      FileStatus status{FileError::Io, {}, ErrnoText(error)};
      status.Message = "Cannot get the current directory: " + status.Reason;
      return status;
    }
    buffer.resize(buffer.size() * 2);
  }
  path = buffer.data();
  return FileStatus::Ok();
}
