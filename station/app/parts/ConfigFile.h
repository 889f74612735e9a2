#pragma once
// Config.dat: the station's binary configuration file, 477,608 bytes, fixed offsets,
// little-endian, no header and no checksum.
//
//   offset  size   field
//        0     4   meter count, int32 0..120
//        4     8   configuration password, code page 936; NUL-padded, no NUL when 8 bytes long
//       12     2   reserved (zero)
//       14     4   trend back colour, int32 0x00BBGGRR
//       18   160   baud index per COM port, int32[40], each 0..7
//      178     4   trend axis low, float32
//      182     4   trend axis high, float32
//      186  1862   reserved (zero)
//     2048 + 3963 i  meter block i (i = 0..119): the stored part of meter record i
//
// Every operation opens the file, positions, reads or writes its one field and closes it again.
// Loading never writes, and a save writes only its own field, so bytes that nothing interprets
// (the reserved areas, blocks behind the meter count) keep what they hold.
//
// Failures: a save that cannot open, write or close the file returns a status naming the file
// and the system error; the caller shows it in the error box (nothing has been saved in full),
// and the handler ends there. A load reads what the file validly holds into its target, leaves
// the rest of the target as it was, and returns a problem text naming the file (empty when all
// was read as stored); the caller reports non-empty texts, gathered into one error box at
// start-up. A load that cannot open or read the file at all says so in NotLoadedProblem's form
// (LoadReport.h), "<cause>; not loaded: <its part>", so the loads' lines of one cause can be
// told as one.
//
// Every function goes through `files`, the machine's file system unless a caller passes another
// (a MemoryFileSystem runs the loads on bytes held in memory).
//
// All functions run on the GUI thread (start-up and control handlers); none touches a meter's
// run-time part, and none may run while a polling thread reads the stored part it writes into
// (LoadMeterTable runs at start-up, before any polling thread exists).

#include <cstdint>
#include <string>
#include <string_view>

#include "common/MeterRecord.h"
#include "platform/File.h"

inline constexpr std::int64_t kConfigFileSize = 477608;
inline constexpr std::int64_t kMeterCountOffset = 0;
inline constexpr std::int64_t kPasswordOffset = 4;
inline constexpr std::size_t kPasswordFieldSize = 8;
inline constexpr std::int64_t kChartBackColorOffset = 14;
inline constexpr std::int64_t kBaudTableOffset = 18;
inline constexpr std::int64_t kCurveRangeOffset = 178;
inline constexpr std::int64_t kFirstMeterBlockOffset = 2048;
inline constexpr std::int64_t kMeterBlockSize = sizeof(TMeterStored);
static_assert(kFirstMeterBlockOffset + kMaxMeters * kMeterBlockSize == kConfigFileSize);

inline constexpr std::string_view kDefaultPassword = "583106";

// Creates a missing Config.dat: 477,608 zero bytes with the default password at offset 4.
// `*created` (when given) says whether it made the file; the caller then sets the meter count
// in memory to 0 and ConfigPassword to kDefaultPassword. Touches nothing when the file can be
// opened for reading, or when what stands under the name is no regular file (a folder, a named
// pipe): the loads then report it. The file is created exclusively, so an existing file that
// cannot be read is never truncated: that case, and a creation that fails (a partly written new
// file is removed again), return a failure naming the file and the system error.
[[nodiscard]] FileStatus CreateConfigFileIfMissing(const std::string& path,
                                                   bool* created = nullptr,
                                                   FileSystem& files = SystemFiles());

// Writes the stored parts of meters 0..MeterCount-1 (WriteMeterBlock each), then the meter count,
// so that an interrupted save never leaves a count that reaches into blocks of another table.
// Blocks behind the count keep what they held. A MeterCount outside 0..120 fails before
// anything is written; the first failure ends the save.
[[nodiscard]] FileStatus SaveMeterTable(const std::string& path, const MeterTable& table,
                                        FileSystem& files = SystemFiles());
// Reads the meter count and then blocks 0..count-1 (ReadMeterBlock each) into the stored parts
// of table.Meters; sets table.MeterCount to the number of blocks loaded. A file that ends
// before a block loads only the whole blocks in front of it. A stored count outside 0..120
// cannot be trusted: then the meters are the leading blocks that hold one (channel count
// 1..48), at most 120. A loaded block whose channel count lies outside 1..48 gets the nearest
// count in that range (every user of the table indexes the 48 channels by it). A COM index
// outside 0..39, a comm code above 1 and channel decimals above 4 are kept as stored (the poll
// refuses such a meter). Each case is named in the problem text, problems of one kind grouped
// by meter row (TLoadReport), so that the text stays short whatever the file holds. Records
// behind the loaded count and all run-time parts stay as they were. When the count cannot be
// read, the table is left as it was.
[[nodiscard]] std::string LoadMeterTable(const std::string& path, MeterTable& table,
                                         FileSystem& files = SystemFiles());

// One meter block at 2048 + 3963 * index. An index outside 0..119 fails (nothing is ever read
// or written past the table).
[[nodiscard]] FileStatus WriteMeterBlock(const std::string& path, const TMeterRecord& record,
                                         int index, FileSystem& files = SystemFiles());
// Reads the whole block into the record's stored part, or leaves the record as it was and
// returns the problem (the file ends before the block, or cannot be read, or the index lies
// outside the table).
[[nodiscard]] std::string ReadMeterBlock(const std::string& path, TMeterRecord& record,
                                         int index, FileSystem& files = SystemFiles());

// The trend back colour. After loading, the caller gives the colour to the trend chart's back
// colour and selects it in colorBox_CurvesBackColor.
[[nodiscard]] FileStatus SaveChartBackColor(const std::string& path, std::int32_t color,
                                            FileSystem& files = SystemFiles());
[[nodiscard]] std::string LoadChartBackColor(const std::string& path, std::int32_t& color,
                                             FileSystem& files = SystemFiles());

// The trend axis range, low then high. After loading, the caller sets the trend chart's value
// axis to low..high in one step and shows both in ed_CurvesMix and ed_CurvesMax
// (general format, precision 5, digits 3). Both are loaded, or neither.
[[nodiscard]] FileStatus SaveCurveRange(const std::string& path, float low, float high,
                                        FileSystem& files = SystemFiles());
[[nodiscard]] std::string LoadCurveRange(const std::string& path, float& low, float& high,
                                         FileSystem& files = SystemFiles());

// PortBaudIndex, 40 entries. A loaded entry outside 0..7 is replaced by 0 (2,400 baud, what a new
// file holds) and named in the problem text (grouped by port), so no baud index from the file
// ever reaches a table index; the file keeps its bytes until the next SaveBaudTable. Entries
// the file does not hold in whole (a short file) keep their value.
[[nodiscard]] FileStatus SaveBaudTable(const std::string& path, const PortBaudIndexTable& table,
                                       FileSystem& files = SystemFiles());
[[nodiscard]] std::string LoadBaudTable(const std::string& path, PortBaudIndexTable& table,
                                        FileSystem& files = SystemFiles());

// The configuration password (UTF-8), stored as its code page 936 bytes followed by NULs up to 8
// bytes (no NUL at 8 bytes). A password whose code page 936 form is longer than 8 bytes, or that
// holds a character the code page lacks, fails before anything is written: storing anything
// else than the password in memory would lock the operator out after the next start.
[[nodiscard]] FileStatus SavePassword(const std::string& path, std::string_view password,
                                      FileSystem& files = SystemFiles());
// The characters up to the first NUL, all 8 bytes when there is none. The caller makes the
// result ConfigPassword. When the field could not be read, `unreadReason` (if given) receives
// why, in a few words ("Is a directory"; the whole problem text for a failure the system gave
// no words for); it is made empty when the field was read.
[[nodiscard]] std::string LoadPassword(const std::string& path, std::string& password,
                                       std::string* unreadReason = nullptr,
                                       FileSystem& files = SystemFiles());
