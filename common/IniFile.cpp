#include "common/IniFile.h"

#include <optional>

#include "common/FixedText.h"
#include "common/StrConv.h"
#include "platform/Cp936.h"
#include "platform/Errors.h"
#include "platform/File.h"
#include "platform/TextTrim.h"

namespace {

using Line = TIniFile::Line;

constexpr std::string_view kCrLf = "\r\n";

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// The section a line opens ("[name]", blanks allowed around the line and the name).
std::optional<std::string_view> SectionName(std::string_view text) {
  const std::string_view line = TrimSpacesAndTabs(text);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::string_view inner = line.substr(1);
  return TrimSpacesAndTabs(inner.substr(0, inner.find(']')));
}

struct KeyLine {
  std::string_view Key;
  std::string_view Value;
};

// A "key=value" line; section lines and lines without '=' are not keys.
std::optional<KeyLine> SplitKeyLine(std::string_view text) {
  if (SectionName(text)) return std::nullopt;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyLine{TrimSpacesAndTabs(text.substr(0, equals)),
                 TrimSpacesAndTabs(text.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t lf = content.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.push_back({std::string(content.substr(start)), ""});
      break;
    }
    std::string_view text = content.substr(start, lf - start);
    const bool crlf = !text.empty() && text.back() == '\r';
    if (crlf) text.remove_suffix(1);
    lines.push_back({std::string(text), crlf ? std::string(kCrLf) : std::string("\n")});
    start = lf + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string content;
  for (const Line& line : lines) content += line.Text + line.End;
  return content;
}

// Lines [First, End) are the body of the first section of that name; Header is its "[...]" line.
struct SectionSpan {
  std::size_t Header;
  std::size_t First;
  std::size_t End;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto section = SectionName(lines[i].Text);
    if (!section || !SameName(*section, name)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].Text)) ++end;
    return SectionSpan{i, i + 1, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span,
                                   std::string_view key) {
  for (std::size_t i = span.First; i < span.End; ++i) {
    const auto keyLine = SplitKeyLine(lines[i].Text);
    if (keyLine && SameName(keyLine->Key, key)) return i;
  }
  return std::nullopt;
}

// The line end that added lines take: that of the file's first line, CR LF when it has none.
std::string LineEndOf(const std::vector<Line>& lines) {
  if (!lines.empty() && !lines.front().End.empty()) return lines.front().End;
  return std::string(kCrLf);
}

// Inserts a line before `position`, first ending the line in front of it when that was the
// unterminated last line of the file. A last line that itself ends in a CR gets CR LF whatever
// the file's line end: a lone LF would join that CR into the line end, and the next reading would
// see another line (a "[GSM" + CR line would become a "[GSM" section) than the one written after.
void InsertLine(std::vector<Line>& lines, std::size_t position, std::string text,
                const std::string& end) {
  if (position > 0 && lines[position - 1].End.empty()) {
    Line& previous = lines[position - 1];
    previous.End = previous.Text.ends_with('\r') ? std::string(kCrLf) : end;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position), Line{std::move(text), end});
}

SectionSpan AppendSection(std::vector<Line>& lines, std::string_view section,
                          const std::string& end) {
  if (!lines.empty() && !TrimSpacesAndTabs(lines.back().Text).empty()) {
    InsertLine(lines, lines.size(), "", end);
  }
  InsertLine(lines, lines.size(), "[" + std::string(section) + "]", end);
  return SectionSpan{lines.size() - 1, lines.size(), lines.size()};
}

// Sets the key in the first section of that name: the line of an existing key is rewritten
// (its own spelling of the name kept); a new key goes after the section's last non-blank line.
void SetKey(std::vector<Line>& lines, std::string_view section, std::string_view key,
            std::string_view value) {
  const std::string end = LineEndOf(lines);
  const auto found = FindSection(lines, section);
  const SectionSpan span = found ? *found : AppendSection(lines, section, end);
  if (const auto at = FindKey(lines, span, key)) {
    const std::string_view fileKey = SplitKeyLine(lines[*at].Text)->Key;
    lines[*at].Text = std::string(fileKey) + "=" + std::string(value);
    return;
  }
  std::size_t position = span.End;
  while (position > span.First && TrimSpacesAndTabs(lines[position - 1].Text).empty()) --position;
  InsertLine(lines, position, std::string(key) + "=" + std::string(value), end);
}

std::string_view FirstLineOf(std::string_view value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

// The file's name as a failure names it. Writes raise: their one caller, the SMS page's Save
// handler, ends at a failed write, in the error box.
std::string Quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

// The file as a write must start from: a missing file is empty; one that exists but cannot be
// read is not overwritten.
std::string LoadForWrite(const std::string& fileName, FileSystem& files) {
  std::string content;
  const FileStatus status = ReadWholeFile(fileName, content, files);
  if (status.Error != FileError::Missing) {
    RaiseOnFailure(status.As("Cannot read ini file", Quoted(fileName)));
  }
  return content;
}

// The lines of `content` after a write of the key (the value's first line only).
std::vector<Line> WithKey(std::string_view content, std::string_view section,
                          std::string_view key, std::string_view value) {
  std::vector<Line> lines = SplitLines(content);
  SetKey(lines, Utf8ToCp936(section), Utf8ToCp936(key), Utf8ToCp936(FirstLineOf(value)));
  return lines;
}

}  // namespace

TIniFile::TIniFile(std::string fileName, FileSystem& files)
    : fileName_(std::move(fileName)), files_(&files) {
  std::string content;
  if (ReadWholeFile(fileName_, content, *files_).ok()) lines_ = SplitLines(content);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  const auto span = FindSection(lines_, Utf8ToCp936(section));
  if (!span) return std::string(defaultValue);
  const auto at = FindKey(lines_, *span, Utf8ToCp936(key));
  if (!at) return std::string(defaultValue);
  const std::string_view value = Unquote(SplitKeyLine(lines_[*at].Text)->Value);
  return Cp936ToUtf8(CutCp936(value, kMaxValueBytes));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t defaultValue) const {
  const std::string text = ReadString(section, key, "");
  // Only a leading "0x" marks hexadecimal here; the strict conversion would also take "$1F" and
  // a signed "-$1F", which a profile file does not hold as numbers.
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!hex && text.find_first_of("xX$") != std::string::npos) return defaultValue;
  return TryStrToInt(hex ? "$" + text.substr(2) : text).value_or(defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key,
                        bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  std::vector<Line> lines = WithKey(LoadForWrite(fileName_, *files_), section, key, value);
  RaiseOnFailure(files_->Replace(fileName_, JoinLines(lines))
                     .As("Cannot write ini file", Quoted(fileName_)));
  // The object reads the text as the file now holds it, as the next start will: the edited
  // lines split again from the written text are these same lines.
  lines_ = std::move(lines);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}
