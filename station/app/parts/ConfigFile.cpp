#include "station/app/parts/ConfigFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "common/FixedText.h"
#include "platform/Cp936.h"
#include "station/app/parts/LoadReport.h"
#include "station/comm/MeterComm.h"

// The fields are copied between the file and memory as they lie: int32 and float32 little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr long kCurveRangeSize = 2 * sizeof(float);

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string ShortFileProblem(const std::string& path, const std::string& notLoaded) {
  return Quoted(path) + " is shorter than " + std::to_string(kConfigFileSize) + " bytes: " +
         notLoaded + " not loaded";
}

std::string JoinProblems(const std::vector<std::string>& problems) {
  std::string joined;
  for (const std::string& problem : problems) {
    if (problem.empty()) continue;
    if (!joined.empty()) joined += '\n';
    joined += problem;
  }
  return joined;
}

// Writes `size` bytes at `offset` of the existing file: a save never creates the file, and never
// writes behind the end of one cut short. The file is made full size, so a gap there means a
// damaged file, and the gap would read back as zeros: over the password field, as the empty
// password that anyone can type.
FileStatus WriteAt(FileSystem& files, const std::string& path, std::int64_t offset,
                   const void* data, std::size_t size) {
  OpenedFile opened = files.OpenExisting(path, FileAccess::ReadWrite);
  if (!opened.Status.ok()) return opened.Status.As("Cannot open", Quoted(path));
  std::int64_t fileSize = 0;
  const FileStatus sized = opened.Handle->Size(fileSize);
  if (!sized.ok()) return sized.As("Cannot read the size of", Quoted(path));
  if (fileSize < offset) {
    return FileStatus::Fail(FileError::BadContent, Quoted(path) + " is shorter than " +
                                                       std::to_string(kConfigFileSize) +
                                                       " bytes: not saved");
  }
  FileStatus status = opened.Handle->WriteAt(offset, data, size, nullptr);
  const FileStatus closed = opened.Handle->Close();
  if (status.ok()) status = closed;
  return status.As("Cannot write", Quoted(path));
}

struct ReadOutcome {
  std::size_t Count = 0;  // bytes read; fewer than asked when the file ends before
  std::string Problem;    // the file could not be opened or read
  std::string Reason;     // the system's words for the Problem
};

ReadOutcome ReadAt(FileSystem& files, const std::string& path, std::int64_t offset, void* data,
                   std::size_t size) {
  ReadOutcome outcome;
  OpenedFile opened = files.OpenExisting(path, FileAccess::Read);
  FileStatus status = opened.Status.As("Cannot open", Quoted(path));
  if (opened.Status.ok()) {
    status = opened.Handle->ReadAt(offset, data, size, outcome.Count).As("Cannot read",
                                                                         Quoted(path));
  }
  if (!status.ok()) {
    outcome.Problem = status.Message;
    outcome.Reason = status.Reason;
  }
  return outcome;
}

// Nothing is ever read or written past the table.
std::string BlockOutsideTheTable(const std::string& path, int index) {
  if (index >= 0 && index < kMaxMeters) return {};
  return "Meter block " + std::to_string(index) + " lies outside the table of " + Quoted(path);
}

std::int64_t MeterBlockOffset(int index) {
  return kFirstMeterBlockOffset + kMeterBlockSize * std::int64_t{index};
}

// Reads meter block `index` whole into `block`; the problem when it could not.
std::string ReadBlock(FileSystem& files, const std::string& path, int index,
                      TMeterStored& block) {
  std::string outside = BlockOutsideTheTable(path, index);
  if (!outside.empty()) return outside;
  std::array<char, sizeof(TMeterStored)> bytes;
  const ReadOutcome read =
      ReadAt(files, path, MeterBlockOffset(index), bytes.data(), bytes.size());
  if (!read.Problem.empty()) return read.Problem;
  if (read.Count < bytes.size()) {
    return ShortFileProblem(path, "the block of meter " + std::to_string(index + 1) + " was");
  }
  std::memcpy(&block, bytes.data(), bytes.size());
  return {};
}

bool HoldsMeter(const TMeterStored& block) {
  return block.ChannelCount >= 1 && block.ChannelCount <= kMaxChannels;
}

// Notes the loaded meter's fields that lie outside their domains, by kind, under its row number
// (index + 1). A channel count outside 1..48 is brought into that range, since every user of
// the table indexes the 48 channels by it; every other field keeps its bytes (the poll refuses
// such a meter, and nothing is written back until a save).
void CheckMeterFields(TMeterStored& meter, int index, TLoadReport& report) {
  const int row = index + 1;
  if (meter.ChannelCount < 1) {
    meter.ChannelCount = 1;
    report.AddItem("no channels, taken as 1", row);
  } else if (meter.ChannelCount > kMaxChannels) {
    meter.ChannelCount = kMaxChannels;
    report.AddItem("more than " + std::to_string(kMaxChannels) + " channels, taken as " +
                       std::to_string(kMaxChannels),
                   row);
  }
  if (meter.ComIndex >= kComPortCount) {
    report.AddItem("COM index outside 0.." + std::to_string(kComPortCount - 1) + " (COM1 to COM" +
                       std::to_string(kComPortCount) + ")",
                   row);
  }
  if (meter.CommCode > 1) report.AddItem("comm code outside 0..1 (3X, 4X): not polled", row);
  const bool decimalsOutside =
      std::any_of(meter.Channels, meter.Channels + meter.ChannelCount,
                  [](const TChannelRecord& channel) { return channel.Decimals > kMaxDecimals; });
  if (decimalsOutside) {
    report.AddItem("decimals of a channel outside 0.." + std::to_string(kMaxDecimals) +
                       ": not polled",
                   row);
  }
}

}  // namespace

FileStatus CreateConfigFileIfMissing(const std::string& path, bool* created,
                                     FileSystem& files) {
  if (created != nullptr) *created = false;
  const OpenedFile existing = files.OpenExisting(path, FileAccess::Read);
  // A folder or a named pipe under the name is no file to create or to keep: the loads report
  // it as a file they cannot read, and the sign-in stays shut.
  if (existing.Status.ok() || existing.Status.Error == FileError::NotFile) {
    return FileStatus::Ok();
  }
  std::vector<char> image(static_cast<std::size_t>(kConfigFileSize), '\0');
  std::copy(kDefaultPassword.begin(), kDefaultPassword.end(), image.begin() + kPasswordOffset);
  // Exclusive creation, so a file that exists but could not be read is never truncated; a
  // partly written new file is removed again, since it would later pass for a damaged one.
  const FileStatus status = CreateNewFile(path, image.data(), image.size(), files);
  if (status.Error == FileError::NameTaken) return existing.Status.As("Cannot read", Quoted(path));
  if (!status.ok()) return status.As("Cannot create", Quoted(path));
  if (created != nullptr) *created = true;
  return FileStatus::Ok();
}

FileStatus SaveMeterTable(const std::string& path, const MeterTable& table, FileSystem& files) {
  const std::int32_t count = table.MeterCount;
  if (count < 0 || count > kMaxMeters) {
    return FileStatus::Fail(FileError::BadContent,
                            "Meter count " + std::to_string(count) + " lies outside 0.." +
                                std::to_string(kMaxMeters) + "; nothing saved to " +
                                Quoted(path));
  }
  for (int i = 0; i < count; ++i) {
    const FileStatus status = WriteMeterBlock(path, table.Meters[i], i, files);
    if (!status.ok()) return status;
  }
  return WriteAt(files, path, kMeterCountOffset, &count, sizeof count);
}

std::string LoadMeterTable(const std::string& path, MeterTable& table, FileSystem& files) {
  std::int32_t stored = 0;
  const ReadOutcome read = ReadAt(files, path, kMeterCountOffset, &stored, sizeof stored);
  if (!read.Problem.empty()) return NotLoadedProblem(read.Problem, "the meter table");
  if (read.Count < sizeof stored) return ShortFileProblem(path, "the meter table was");

  // A count outside the table cannot say how many meters there are: the blocks do. The file
  // is created with every block zero, so the meters are the leading blocks that hold one.
  const bool countInRange = stored >= 0 && stored <= kMaxMeters;
  const int wanted = countInRange ? stored : kMaxMeters;
  TLoadReport report(Quoted(path), kMeterNames);
  int loaded = 0;
  for (; loaded < wanted; ++loaded) {
    TMeterStored block;
    const std::string problem = ReadBlock(files, path, loaded, block);
    if (!problem.empty()) {
      report.Add(problem);
      break;
    }
    if (!countInRange && !HoldsMeter(block)) break;
    CheckMeterFields(block, loaded, report);
    table.Meters[loaded].Stored() = block;
  }
  table.MeterCount = loaded;
  if (!countInRange) {
    const std::string countProblem =
        Quoted(path) + ": meter count " + std::to_string(stored) + " lies outside 0.." +
        std::to_string(kMaxMeters) + "; kept the " + std::to_string(loaded) +
        " leading meters (blocks with 1 to " + std::to_string(kMaxChannels) + " channels)";
    return JoinProblems({countProblem, report.Text()});
  }
  if (loaded != stored) report.Add(Quoted(path) + ": " + std::to_string(loaded) + " meters loaded");
  return report.Text();
}

FileStatus WriteMeterBlock(const std::string& path, const TMeterRecord& record, int index,
                           FileSystem& files) {
  const std::string outside = BlockOutsideTheTable(path, index);
  if (!outside.empty()) return FileStatus::Fail(FileError::BadContent, outside);
  return WriteAt(files, path, MeterBlockOffset(index), &record.Stored(), sizeof(TMeterStored));
}

std::string ReadMeterBlock(const std::string& path, TMeterRecord& record, int index,
                           FileSystem& files) {
  TMeterStored block;
  std::string problem = ReadBlock(files, path, index, block);
  if (problem.empty()) record.Stored() = block;
  return problem;
}

FileStatus SaveChartBackColor(const std::string& path, std::int32_t color, FileSystem& files) {
  return WriteAt(files, path, kChartBackColorOffset, &color, sizeof color);
}

std::string LoadChartBackColor(const std::string& path, std::int32_t& color, FileSystem& files) {
  std::int32_t stored = 0;
  const ReadOutcome read = ReadAt(files, path, kChartBackColorOffset, &stored, sizeof stored);
  if (!read.Problem.empty()) return NotLoadedProblem(read.Problem, "the trend back colour");
  if (read.Count < sizeof stored) return ShortFileProblem(path, "the trend back colour was");
  color = stored;
  return {};
}

FileStatus SaveCurveRange(const std::string& path, float low, float high, FileSystem& files) {
  const std::array<float, 2> range{low, high};
  return WriteAt(files, path, kCurveRangeOffset, range.data(), kCurveRangeSize);
}

std::string LoadCurveRange(const std::string& path, float& low, float& high, FileSystem& files) {
  std::array<float, 2> range{};
  const ReadOutcome read = ReadAt(files, path, kCurveRangeOffset, range.data(), kCurveRangeSize);
  if (!read.Problem.empty()) return NotLoadedProblem(read.Problem, "the trend axis range");
  if (read.Count < kCurveRangeSize) return ShortFileProblem(path, "the trend axis range was");
  low = range[0];
  high = range[1];
  return {};
}

FileStatus SaveBaudTable(const std::string& path, const PortBaudIndexTable& table,
                         FileSystem& files) {
  return WriteAt(files, path, kBaudTableOffset, table.data(), sizeof table);
}

std::string LoadBaudTable(const std::string& path, PortBaudIndexTable& table,
                          FileSystem& files) {
  PortBaudIndexTable stored{};
  const ReadOutcome read = ReadAt(files, path, kBaudTableOffset, stored.data(), sizeof stored);
  if (!read.Problem.empty()) return NotLoadedProblem(read.Problem, "the baud indexes");
  TLoadReport report(Quoted(path), kComPortNames);
  const std::size_t whole = read.Count / sizeof(std::int32_t);
  if (whole < stored.size()) {
    report.Add(ShortFileProblem(path, "the baud indexes of COM" + std::to_string(whole + 1) +
                                          " to COM" + std::to_string(kComPortCount) + " were"));
  }
  for (std::size_t port = 0; port < whole; ++port) {
    const std::int32_t index = stored[port];
    const bool valid = index >= 0 && index < kBaudRateCount;
    table[port] = valid ? index : 0;
    if (!valid) {
      report.AddItem("baud index outside 0.." + std::to_string(kBaudRateCount - 1) +
                         ", taken as 0",
                     static_cast<int>(port + 1));
    }
  }
  return report.Text();
}

FileStatus SavePassword(const std::string& path, std::string_view password, FileSystem& files) {
  const std::string bytes = Utf8ToCp936(password);
  if (!EncodableInCp936(password) || bytes.size() > kPasswordFieldSize) {
    return FileStatus::Fail(FileError::BadContent,
                            "The password does not fit the " +
                                std::to_string(kPasswordFieldSize) + "-byte field of " +
                                Quoted(path) + "; nothing saved");
  }
  std::array<char, kPasswordFieldSize> field{};
  std::copy(bytes.begin(), bytes.end(), field.begin());
  return WriteAt(files, path, kPasswordOffset, field.data(), field.size());
}

std::string LoadPassword(const std::string& path, std::string& password,
                         std::string* unreadReason, FileSystem& files) {
  std::array<char, kPasswordFieldSize> field{};
  const ReadOutcome read = ReadAt(files, path, kPasswordOffset, field.data(), field.size());
  std::string reason = read.Reason;
  // A failure without the system's words still keeps the sign-in shut: an empty reason would
  // let the empty password in memory sign in.
  if (reason.empty()) reason = read.Problem;
  if (read.Problem.empty() && read.Count < field.size()) {
    reason = "the file ends before its password field";
  }
  if (unreadReason != nullptr) *unreadReason = reason;
  if (!read.Problem.empty()) return NotLoadedProblem(read.Problem, "the password");
  if (read.Count < field.size()) return ShortFileProblem(path, "the password was");
  password = Cp936ToUtf8(FixedBytes(field.data(), field.size()));
  return {};
}
