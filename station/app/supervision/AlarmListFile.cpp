#include "station/app/supervision/AlarmListFile.h"

#include <algorithm>
#include <cstring>

#include "common/FixedText.h"
#include "platform/Cp936.h"

AlarmLine BuildAlarmLine(const AlarmRowTexts& cells) {
  AlarmLine line{};  // all NUL
  for (int column = 0; column < kAlarmColumnCount; ++column) {
    const std::string encoded = Utf8ToCp936(cells[column]);
    const std::string_view text = CutCp936(encoded, kAlarmFieldWidths[column] - 1);
    char* field = line.data() + kAlarmFieldOffsets[column];
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = column == kAlarmColumnCount - 1 ? kAlarmLineEnd : kAlarmColumnSeparator;
  }
  return line;
}

FileStatus CreateAlarmListFile(const std::string& path) { return CreateNewFile(path, "", 0); }

WriteOutcome AlarmListWriter::WriteRow(std::int64_t row, const AlarmRowTexts& cells) {
  if (path_.empty() || row < 0) return {};
  const AlarmLine line = BuildAlarmLine(cells);
  const FileStatus status =
      WriteExistingFileAt(path_, row * kAlarmLineSize, line.data(), line.size());
  if (status.ok()) {
    failing_ = false;
    return {true, {}};
  }
  if (failing_) return {};
  failing_ = true;
  return {false, status.Message};
}
