#pragma once
// The file layer: every file and folder the two programs touch goes through it, and every
// failure comes back as a FileStatus that names the file and carries the system's reason.
// Nothing here throws.
//
// FileSystem is the interface; SystemFiles() is the machine's file system, MemoryFileSystem
// (platform/MemoryFileSystem.h) one held in memory for tests and fuzzing.
//
// The system implementation retries calls that a signal interrupts, opens every file
// close-on-exec and without waiting (a named pipe under a file's name never holds the program in
// open()), and closes what it opened on every failure path. Offsets and sizes are 64-bit.
//
// Only regular files are opened: OpenExisting refuses a folder, a named pipe, a device or a socket
// under the name (NotFile, "Cannot open <path>: Is a directory" or "...: Not a regular file"), as
// it refuses any file it cannot open, so every reader of a file meets such a name as a file it
// cannot read.
//
// Messages name the file as the caller passed it: "Cannot open <path>: <reason>", with the
// verbs "Cannot open", "Cannot create", "Cannot read", "Cannot read the size of", "Cannot write"
// (writes, appends, syncs and closes), "Cannot remove", "Cannot rename", "Cannot resize" and
// "Cannot create folder". A caller that speaks of the file in other words rewords the status
// with FileStatus::As.
//
// Thread-safety: a File is used by one thread at a time. SystemFiles() may be used from any
// thread; a MemoryFileSystem by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileStatus.h"

enum class FileAccess { Read, ReadWrite };

// The reason an open of a named pipe, a device or a socket is refused with.
inline constexpr std::string_view kNotAFileReason = "Not a regular file";

// An open file. The destructor closes it; Close() does so too and says whether the system
// accepted the file's last writes.
class File {
 public:
  explicit File(std::string path) : path_(std::move(path)) {}
  virtual ~File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  const std::string& Path() const { return path_; }

  // Reads up to `size` bytes at `offset`; `got` says how many arrived. Fewer than asked without
  // a failure means the file ends there. On a failure `got` still counts the bytes read before.
  virtual FileStatus ReadAt(std::int64_t offset, void* data, std::size_t size,
                            std::size_t& got) = 0;
  // Writes all `size` bytes at `offset` (a gap behind the old end reads as zeros). On a failure
  // part-way (a full disk), `*written` (when given) counts the bytes that went in first.
  virtual FileStatus WriteAt(std::int64_t offset, const void* data, std::size_t size,
                             std::size_t* written) = 0;
  // Writes all `size` bytes behind the current end of the file.
  virtual FileStatus Append(const void* data, std::size_t size) = 0;
  // The file's size in bytes (how far a seek to its end goes).
  virtual FileStatus Size(std::int64_t& size) = 0;
  // Makes what was written durable on the device.
  virtual FileStatus Sync() = 0;
  // Closes the file; nothing may be called afterwards.
  virtual FileStatus Close() = 0;

  // Reads exactly `size` bytes at `offset`; a file that ends before is an I/O error.
  FileStatus ReadFullyAt(std::int64_t offset, void* data, std::size_t size);

 private:
  std::string path_;
};

// The outcome of an open: the status and, when it is ok, the open file.
struct OpenedFile {
  FileStatus Status;
  std::unique_ptr<File> Handle;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Creates a file for writing only when no file of that name exists (NameTaken otherwise; a
  // symbolic link of that name counts as existing, even one that leads nowhere).
  virtual OpenedFile CreateExclusive(const std::string& path) = 0;
  // Creates a file for writing, or empties the one of that name. A named pipe that nobody reads
  // fails at once ("No such device or address") instead of waiting for a reader.
  virtual OpenedFile CreateOrEmpty(const std::string& path) = 0;
  // Opens a regular file that exists; never creates one, and refuses anything else under the
  // name (NotFile).
  virtual OpenedFile OpenExisting(const std::string& path, FileAccess access) = 0;

  // True when something (a file or a folder) is there under that name.
  virtual bool Exists(const std::string& path) = 0;
  virtual FileStatus Remove(const std::string& path) = 0;
  // Renames within one file system; a file of the new name is replaced.
  virtual FileStatus Rename(const std::string& from, const std::string& to) = 0;
  // Cuts the file to `size` bytes, or extends it with zeros.
  virtual FileStatus Resize(const std::string& path, std::int64_t size) = 0;
  // Gives the file `content` as a whole: written to a new file beside it, made durable, then
  // renamed over it, so the file is either the old one or the whole new one, and a failure
  // leaves the old one and no new file behind. A symbolic link stays a link: the file it leads
  // to is replaced. An existing file keeps its permission bits; a new one gets 0644.
  virtual FileStatus Replace(const std::string& path, std::string_view content) = 0;

  // Creates one folder (its parent must exist); a folder that is already there is fine.
  virtual FileStatus MakeFolder(const std::string& path) = 0;
  // Creates the folder and every missing folder above it.
  virtual FileStatus MakeFolders(const std::string& path) = 0;
  // True when both names lead to the same existing file.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

// The machine's file system.
FileSystem& SystemFiles();

// ---- Whole-file operations -------------------------------------------------------------------

// Creates `path` only when no file of that name exists (never empties an existing one), writes
// `size` bytes in one write and closes it. NameTaken when the name is in use. When the write or
// the close fails, the half-written file is removed again.
FileStatus CreateNewFile(const std::string& path, const void* data, std::size_t size,
                         FileSystem& files = SystemFiles());

// Writes `size` bytes at `offset` of an existing file: open, one write, close. A file that has
// vanished is not created again (Missing).
FileStatus WriteExistingFileAt(const std::string& path, std::int64_t offset, const void* data,
                               std::size_t size, FileSystem& files = SystemFiles());

// Reads the whole file into `content` (emptied first).
FileStatus ReadWholeFile(const std::string& path, std::string& content,
                         FileSystem& files = SystemFiles());

// ---- Streaming -------------------------------------------------------------------------------

// Reads a file front to back in large blocks, as a buffered stream does: a skip moves on
// without reading what it passes over. REQUIRES: the file outlives the reader.
class SequentialReader {
 public:
  SequentialReader(File& file, std::int64_t offset) : file_(file), position_(offset) {}

  // Reads up to `size` bytes; `got` says how many arrived (fewer at the end of the file, or
  // when the file cannot be read any further: the status says which). Reads that follow each
  // other go to the file in blocks of 64 KiB; the first read after a skip takes only what it
  // asks for, so a reader that skips between its reads never reads what it skips.
  FileStatus Read(void* data, std::size_t size, std::size_t& got);
  // Moves on by `bytes` without reading them.
  void Skip(std::int64_t bytes);

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  File& file_;
  std::int64_t position_;  // of the first byte not yet handed out
  std::string block_;      // bytes read ahead, starting at position_ - taken_
  std::size_t taken_ = 0;  // bytes of block_ already handed out
  bool skipped_ = false;   // the last move was a skip past what was read ahead
};

// Appends texts to a file in large blocks, as a buffered stream does. Flush before closing the
// file; a failed flush keeps nothing of what it could not write. REQUIRES: the file outlives
// the writer.
class AppendBuffer {
 public:
  explicit AppendBuffer(File& file) : file_(file) {}

  // Adds `text`; writes the buffer when it has grown past its block size.
  FileStatus Append(std::string_view text);
  FileStatus Flush();

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  File& file_;
  std::string pending_;
};

// ---- Process ---------------------------------------------------------------------------------

// The current working directory, as the system reports it. A failure's message says that the
// current directory could not be had, and why (a directory removed under the process, for one).
FileStatus WorkingDirectory(std::string& path);
