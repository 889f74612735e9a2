#include "platform/File.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "platform/MemoryFileSystem.h"
#include "platform/SystemError.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kNoSuchFile = "No such file or directory";

// The machine's file system in a temporary folder, and one in memory: both keep one contract.
struct SystemFilesCase {
  TempDir dir;
  FileSystem& files = SystemFiles();
  std::string Path(const std::string& name) const { return dir.File(name); }
};
struct MemoryFilesCase {
  MemoryFileSystem files;
  std::string Path(const std::string& name) const { return "/memory/" + name; }
};

template <class Case>
class FileLayerTest : public ::testing::Test {
 protected:
  std::string Bytes(const std::string& path) {
    std::string content;
    EXPECT_TRUE(ReadWholeFile(path, content, c.files).ok()) << path;
    return content;
  }
  std::unique_ptr<File> Open(const std::string& path, FileAccess access) {
    OpenedFile opened = c.files.OpenExisting(path, access);
    EXPECT_TRUE(opened.Status.ok()) << opened.Status.Message;
    return std::move(opened.Handle);
  }

  Case c;
};
using FileSystems = ::testing::Types<SystemFilesCase, MemoryFilesCase>;
TYPED_TEST_SUITE(FileLayerTest, FileSystems);

TYPED_TEST(FileLayerTest, CreateExclusiveRefusesATakenNameAndKeepsItsBytes) {
  const std::string path = this->c.Path("a.dat");
  ASSERT_TRUE(CreateNewFile(path, "first", 5, this->c.files).ok());
  const FileStatus again = CreateNewFile(path, "second", 6, this->c.files);
  EXPECT_EQ(again.Error, FileError::NameTaken);
  EXPECT_EQ(again.Message, "Cannot create " + path + ": File exists");
  EXPECT_EQ(this->c.files.CreateExclusive(path).Status.Error, FileError::NameTaken);
  EXPECT_EQ(this->Bytes(path), "first");
}

TYPED_TEST(FileLayerTest, WritesAtOffsetsLeaveZerosAndReadsStopAtTheEnd) {
  const std::string path = this->c.Path("a.dat");
  ASSERT_TRUE(CreateNewFile(path, "abc", 3, this->c.files).ok());
  const auto file = this->Open(path, FileAccess::ReadWrite);
  std::size_t written = 0;
  ASSERT_TRUE(file->WriteAt(6, "xy", 2, &written).ok());
  EXPECT_EQ(written, 2u);
  std::int64_t size = 0;
  ASSERT_TRUE(file->Size(size).ok());
  EXPECT_EQ(size, 8);

  char buffer[10] = {};
  std::size_t got = 99;
  ASSERT_TRUE(file->ReadAt(5, buffer, sizeof buffer, got).ok());  // a short read is no failure
  EXPECT_EQ(std::string(buffer, got), std::string("\0xy", 3));
  ASSERT_TRUE(file->ReadAt(20, buffer, sizeof buffer, got).ok());
  EXPECT_EQ(got, 0u);
  const FileStatus whole = file->ReadFullyAt(5, buffer, 4);
  EXPECT_EQ(whole.Error, FileError::Io);
  EXPECT_EQ(whole.Message, "Cannot read " + path + ": Input/output error");

  ASSERT_TRUE(file->Append("!", 1).ok());  // behind the end, whatever was written where
  ASSERT_TRUE(file->Sync().ok());
  ASSERT_TRUE(file->Close().ok());
  EXPECT_EQ(this->Bytes(path), std::string("abc\0\0\0xy!", 9));
}

TYPED_TEST(FileLayerTest, OpeningNeverCreatesAndAReadOnlyFileRefusesWrites) {
  const std::string missing = this->c.Path("missing.dat");
  const OpenedFile opened = this->c.files.OpenExisting(missing, FileAccess::ReadWrite);
  EXPECT_EQ(opened.Status.Error, FileError::Missing);
  EXPECT_EQ(opened.Status.Message, "Cannot open " + missing + ": " + kNoSuchFile);
  EXPECT_EQ(opened.Status.Reason, kNoSuchFile);
  EXPECT_EQ(WriteExistingFileAt(missing, 0, "x", 1, this->c.files).Error, FileError::Missing);
  EXPECT_FALSE(this->c.files.Exists(missing));

  const std::string path = this->c.Path("a.dat");
  ASSERT_TRUE(CreateNewFile(path, "abc", 3, this->c.files).ok());
  const auto file = this->Open(path, FileAccess::Read);
  const FileStatus refused = file->WriteAt(0, "x", 1, nullptr);
  EXPECT_EQ(refused.Error, FileError::Io);
  EXPECT_NE(refused.Message.find(path), std::string::npos) << refused.Message;
  EXPECT_EQ(this->Bytes(path), "abc");
}

TYPED_TEST(FileLayerTest, RenameRemoveResizeAndReplace) {
  FileSystem& files = this->c.files;
  const std::string a = this->c.Path("a.dat");
  const std::string b = this->c.Path("b.dat");
  ASSERT_TRUE(CreateNewFile(a, "abcdef", 6, files).ok());
  const auto stillOpen = this->Open(a, FileAccess::Read);
  ASSERT_TRUE(files.Rename(a, b).ok());
  EXPECT_FALSE(files.Exists(a));
  EXPECT_EQ(files.Rename(a, b).Error, FileError::Missing);
  ASSERT_TRUE(files.Resize(b, 3).ok());
  EXPECT_EQ(this->Bytes(b), "abc");
  ASSERT_TRUE(files.Resize(b, 5).ok());
  EXPECT_EQ(this->Bytes(b), std::string("abc\0\0", 5));
  ASSERT_TRUE(files.Remove(b).ok());
  EXPECT_EQ(files.Remove(b).Message, "Cannot remove " + b + ": " + kNoSuchFile);
  // An open file keeps its bytes when its name goes.
  char buffer[3];
  ASSERT_TRUE(stillOpen->ReadFullyAt(0, buffer, 3).ok());
  EXPECT_EQ(std::string(buffer, 3), "abc");

  ASSERT_TRUE(files.Replace(a, "new").ok());
  {
    // A file open while its content is replaced keeps reading the content it opened.
    const auto opened = this->Open(a, FileAccess::Read);
    ASSERT_TRUE(files.Replace(a, "old").ok());
    char before[3];
    ASSERT_TRUE(opened->ReadFullyAt(0, before, 3).ok());
    EXPECT_EQ(std::string(before, 3), "new");
  }
  ASSERT_TRUE(files.Replace(a, "newer").ok());
  EXPECT_EQ(this->Bytes(a), "newer");
  OpenedFile emptied = files.CreateOrEmpty(a);
  ASSERT_TRUE(emptied.Status.ok());
  ASSERT_TRUE(emptied.Handle->Append("x", 1).ok());
  ASSERT_TRUE(emptied.Handle->Close().ok());
  EXPECT_EQ(this->Bytes(a), "x");
}

// Counts what reaches the file underneath.
class CountingFile final : public File {
 public:
  explicit CountingFile(File& file) : File(file.Path()), file_(file) {}
  FileStatus ReadAt(std::int64_t offset, void* data, std::size_t size,
                    std::size_t& got) override {
    ++reads;
    const FileStatus status = file_.ReadAt(offset, data, size, got);
    bytesRead += got;
    return status;
  }
  FileStatus WriteAt(std::int64_t offset, const void* data, std::size_t size,
                     std::size_t* written) override {
    return file_.WriteAt(offset, data, size, written);
  }
  FileStatus Append(const void* data, std::size_t size) override {
    ++appends;
    return file_.Append(data, size);
  }
  FileStatus Size(std::int64_t& size) override { return file_.Size(size); }
  FileStatus Sync() override { return file_.Sync(); }
  FileStatus Close() override { return file_.Close(); }

  int reads = 0;
  int appends = 0;
  std::size_t bytesRead = 0;

 private:
  File& file_;
};

TYPED_TEST(FileLayerTest, SequentialReadsGoInBlocksAndSkippedBytesAreNeverRead) {
  const std::string path = this->c.Path("a.dat");
  std::string content(300 * 1024, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  ASSERT_TRUE(CreateNewFile(path, content.data(), content.size(), this->c.files).ok());
  const auto file = this->Open(path, FileAccess::Read);

  CountingFile counted(*file);
  SequentialReader reader(counted, 10);
  std::string piece(100, '\0');
  std::size_t got = 0;
  for (int i = 0; i < 50; ++i) {  // 5,000 bytes that follow each other: one read of the file
    ASSERT_TRUE(reader.Read(piece.data(), piece.size(), got).ok());
    ASSERT_EQ(piece, content.substr(10 + std::size_t(i) * 100, 100));
  }
  EXPECT_EQ(counted.reads, 1);

  counted.bytesRead = 0;
  std::size_t handedOut = 0;
  std::int64_t at = 5010;
  while (got == piece.size()) {  // past the block read ahead: only what is asked is read
    reader.Skip(70000 - 100);
    at += 70000 - 100;
    ASSERT_TRUE(reader.Read(piece.data(), piece.size(), got).ok());
    if (got > 0) {
      EXPECT_EQ(piece.substr(0, got), content.substr(std::size_t(at), got));
    }
    handedOut += got;
    at += std::int64_t(got);
  }
  EXPECT_EQ(handedOut, 400u);  // four whole pieces, then the skip passes the end
  EXPECT_EQ(counted.bytesRead, handedOut);
  ASSERT_TRUE(reader.Read(piece.data(), piece.size(), got).ok());
  EXPECT_EQ(got, 0u);  // the end of the file
}

TYPED_TEST(FileLayerTest, AppendedTextsGoOutInBlocksAndAllArrive) {
  const std::string path = this->c.Path("out.txt");
  OpenedFile created = this->c.files.CreateOrEmpty(path);
  ASSERT_TRUE(created.Status.ok());
  CountingFile counted(*created.Handle);
  AppendBuffer buffer(counted);
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    const std::string line = "line " + std::to_string(i) + "\t\r\n";
    ASSERT_TRUE(buffer.Append(line).ok());
    expected += line;
  }
  ASSERT_TRUE(buffer.Flush().ok());
  ASSERT_TRUE(created.Handle->Close().ok());
  EXPECT_EQ(this->Bytes(path), expected);
  EXPECT_LE(counted.appends, static_cast<int>(expected.size() / (64 * 1024)) + 1);
}

// ---- The machine's file system only ---------------------------------------------------------

TEST(SystemFileTest, FailuresNameTheFileAndCarryTheSystemsText) {
  TempDir dir;
  FileSystem& files = SystemFiles();
  const std::string inMissing = dir.File("gone/a.dat");
  EXPECT_EQ(files.CreateExclusive(inMissing).Status.Message,
            "Cannot create " + inMissing + ": " + kNoSuchFile);

  ASSERT_TRUE(CreateNewFile(dir.File("plain"), "x", 1).ok());
  const FileStatus throughFile =
      files.OpenExisting(dir.File("plain/a.dat"), FileAccess::Read).Status;
  EXPECT_EQ(throughFile.Error, FileError::NotFolder);
  EXPECT_TRUE(throughFile.Absent());
  EXPECT_EQ(throughFile.Reason, ErrnoText(ENOTDIR));

  const std::string folder = dir.File("folder");
  ASSERT_TRUE(files.MakeFolder(folder).ok());
  ASSERT_TRUE(files.MakeFolder(folder).ok());  // already there
  EXPECT_EQ(files.OpenExisting(folder, FileAccess::ReadWrite).Status.Message,
            "Cannot open " + folder + ": Is a directory");
  std::string content;
  // Refused at the open, as anything that is not a regular file.
  EXPECT_EQ(ReadWholeFile(folder, content).Message, "Cannot open " + folder + ": Is a directory");

  // The caller's words, the same kind and reason.
  const FileStatus told = throughFile.As("Cannot read the header of", "\"x\"");
  EXPECT_EQ(told.Message, "Cannot read the header of \"x\": Not a directory");
  EXPECT_EQ(told.Error, FileError::NotFolder);
  const FileStatus own = FileStatus::Fail(FileError::BadContent, "too short");
  EXPECT_EQ(own.As("Cannot read", "x").Message, "too short");
}

TEST(SystemFileTest, AWriteCutShortSaysHowMuchWentInAndANewFileIsRemovedAgain) {
  TempDir dir;
  const std::string path = dir.File("a.dat");
  ASSERT_TRUE(CreateNewFile(path, "", 0).ok());
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{100, saved.rlim_max};  // writes past 100 bytes fail, as on a full disk
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const std::string bytes(300, 'x');
  std::size_t written = 0;
  OpenedFile opened = SystemFiles().OpenExisting(path, FileAccess::ReadWrite);
  const FileStatus cut = opened.Handle->WriteAt(0, bytes.data(), bytes.size(), &written);
  const FileStatus created = CreateNewFile(dir.File("b.dat"), bytes.data(), bytes.size());
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(cut.Error, FileError::Io);
  EXPECT_EQ(cut.Message, "Cannot write " + path + ": " + ErrnoText(EFBIG));
  EXPECT_EQ(written, 100u);
  EXPECT_EQ(created.Reason, ErrnoText(EFBIG));
  EXPECT_FALSE(fs::exists(dir.File("b.dat")));
}

TEST(SystemFileTest, FoldersSameFilesAndTheWorkingDirectory) {
  TempDir dir;
  FileSystem& files = SystemFiles();
  const std::string deep = dir.File("a/b/c");
  EXPECT_FALSE(files.MakeFolder(deep).ok());
  ASSERT_TRUE(files.MakeFolders(deep).ok());
  EXPECT_TRUE(fs::is_directory(deep));
  ASSERT_TRUE(CreateNewFile(dir.File("file"), "x", 1).ok());
  const FileStatus blocked = files.MakeFolders(dir.File("file/d"));
  EXPECT_EQ(blocked.Error, FileError::Io);
  EXPECT_EQ(blocked.Message.rfind("Cannot create folder " + dir.File("file/d") + ": ", 0), 0u);

  fs::create_symlink(dir.File("file"), dir.File("link"));
  EXPECT_TRUE(files.SameFile(dir.File("link"), dir.File("file")));
  EXPECT_FALSE(files.SameFile(dir.File("file"), deep));
  EXPECT_FALSE(files.SameFile(dir.File("none"), dir.File("none")));

  std::string cwd;
  ASSERT_TRUE(WorkingDirectory(cwd).ok());
  EXPECT_EQ(cwd, fs::current_path().string());
}

}  // namespace
