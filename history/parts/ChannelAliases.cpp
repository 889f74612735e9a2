#include "history/parts/ChannelAliases.h"

#include <algorithm>
#include <cstring>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/Cp936.h"

namespace {

bool ValidEntry(int i) { return i >= 0 && i < kAliasChannels; }

FileStatus CannotRead(const std::string& path) {
  return FileStatus::Fail(FileError::Io, "Cannot read the channel names of " + path);
}

}  // namespace

std::string AliasFilePath(const std::string& dir) { return JoinPath(dir, kAliasFileName); }

std::string TChannelAliasTable::Alias(int i) const {
  if (!ValidEntry(i)) return {};
  return Cp936ToUtf8(FixedBytes(bytes_.data() + i * kAliasEntrySize, kAliasTextBytes));
}

void TChannelAliasTable::SetAlias(int i, std::string_view utf8) {
  if (!ValidEntry(i)) return;
  char* entry = bytes_.data() + i * kAliasEntrySize;
  const std::string cp936 = Utf8ToCp936(utf8);
  const std::string_view text = CutCp936(cp936, kAliasTextBytes);
  std::memset(entry, 0, kAliasTextBytes);
  std::memcpy(entry, text.data(), text.size());
}

void TChannelAliasTable::LoadBytes(std::string_view bytes) {
  Clear();
  std::memcpy(bytes_.data(), bytes.data(), std::min(bytes.size(), bytes_.size()));
}

FileStatus TChannelAliasTable::Load(const std::string& path) {
  Clear();
  OpenedFile opened = SystemFiles().OpenExisting(path, FileAccess::Read);
  if (!opened.Status.ok()) {
    // Created only when no file of that name exists: one that is there but cannot be read is
    // never emptied.
    FileStatus created = CreateNewFile(path, bytes_.data(), bytes_.size());
    return created.Error == FileError::NameTaken ? CannotRead(path) : created;
  }
  Bytes content{};
  std::size_t got = 0;
  if (!opened.Handle->ReadAt(0, content.data(), content.size(), got).ok()) return CannotRead(path);
  LoadBytes(std::string_view(content.data(), got));
  return FileStatus::Ok();
}

FileStatus TChannelAliasTable::Save(const std::string& path) const {
  return WriteExistingFileAt(path, 0, bytes_.data(), bytes_.size());
}
