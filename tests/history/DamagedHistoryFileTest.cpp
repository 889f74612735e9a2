// Damaged files given to the viewer: history files with random headers, channel counts and
// intervals at and past their limits, cut-off records, files that shrink while they are shown,
// and damaged alias files. Whatever the bytes, the viewer shows the file or refuses it with a
// message, and paging, the search and the export answer with a message or a result, never a
// crash or a read past what the file holds.

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimeEdit>
#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "history/DatePickers.h"
#include "history/ExportForm.h"
#include "platform/Cp936.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "tests/history/ViewerFixture.h"

namespace {

constexpr int kDamagedFiles = 40;

template <class T>
T Pick(std::mt19937& random, std::initializer_list<T> values) {
  std::uniform_int_distribution<std::size_t> at(0, values.size() - 1);
  return *(values.begin() + at(random));
}

// A header whose name slots are noise without a NUL and each of whose other fields is, one time
// in three, random bits or a value at or past its limit (so that many of the files get past the
// header to be paged, searched and exported). Returns the channel count written.
std::int32_t DamagedHeader(std::mt19937& random, THistoryFileHeader& header) {
  const std::string noise = RandomBytes(random, sizeof header);
  std::memcpy(&header, noise.data(), sizeof header);
  const auto damaged = [&] { return random() % 3 == 0; };
  const auto bits = [&] {
    return std::bit_cast<std::int32_t>(static_cast<std::uint32_t>(random()));
  };
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  header.ChannelCount =
      damaged() ? Pick<std::int32_t>(
                      random, {bits(), -1, 0, 129, kHistoryNameSlots, kHistoryNameSlots + 1, kMin})
                : Pick<std::int32_t>(random, {1, 2, 3, 127, 128});
  header.IntervalSeconds = damaged() ? Pick<std::int32_t>(random, {bits(), -1, 0, kMax})
                                     : Pick<std::int32_t>(random, {1, 60});
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double anyBits =
      std::bit_cast<double>(static_cast<std::uint64_t>(random()) << 32 | random());
  header.StartTime = damaged() ? Pick<double>(random, {anyBits, std::nan(""), kInf, -kInf, 1e300,
                                                       -1e300, -693594.0, 2958465.99999})
                               : 45356.5;
  return header.ChannelCount;
}

// Records for a channel count the viewer may show: small files mostly, and page-sized ones
// when the records are narrow.
std::int64_t RecordsFor(std::mt19937& random, std::int32_t channels) {
  if (channels >= 1 && channels <= 3) {
    return Pick<std::int64_t>(
        random, {0, 1, 7, kPageRecordLimit, kPageRecordLimit + 1, 2 * kPageRecordLimit + 5});
  }
  return Pick<std::int64_t>(random, {0, 1, 7, 50});
}

void WriteDamagedFile(std::mt19937& random, const std::string& path) {
  THistoryFileBuilder file;
  const std::int32_t channels = DamagedHeader(random, file.Header());
  const std::int64_t width = std::clamp(channels, 1, kViewerMaxChannels) * 4;
  std::string records =
      RandomBytes(random, static_cast<std::size_t>(RecordsFor(random, channels) * width));
  records += RandomBytes(random, std::uniform_int_distribution<std::size_t>(0, width - 1)(random));
  file.Tail(std::move(records)).Write(path);
}

class DamagedHistoryFileTest : public ViewerTest {
 protected:
  // Every page forwards and back again, and a read-out position on the track bar.
  void Page(std::mt19937& random) {
    for (int i = 0; i < 4; ++i) form->Button_histr_nextClick();
    for (int i = 0; i < 5; ++i) form->Button_histr_backClick();
    form->tb_histr_time->setValue(std::uniform_int_distribution<int>(0, 100)(random));
  }

  // A window of random bounds around the file's, as the four pickers take it.
  void Search(std::mt19937& random) {
    const auto [start, end] = RandomRange(random);
    SetPickerDateTime(*form->DateTimer_give_date, start);
    SetPickerDateTime(*form->DateTimer_give_time, start);
    SetPickerDateTime(*form->DateTimePickerEndDate, end);
    SetPickerDateTime(*form->DateTimePickerEndTime, end);
    form->Button1Click();
  }

  // One export of a random range and step into the test directory.
  void Export(std::mt19937& random) {
    if (!form->Button_expro_histr->isEnabled()) return;
    const auto [start, end] = RandomRange(random);
    const char* step = Pick<const char*>(random, {"0", "1", "3", "-1", "99999999999", "x"});
    const std::string target = dir.File("export.xls");
    ScopedModalHook modal([&](QDialog&) {
      SetPickerDateTime(*Form2->DateTimePicker_histr_startdate, start);
      SetPickerDateTime(*Form2->DateTimePicker_histr_starttime, start);
      SetPickerDateTime(*Form2->DateTimePicker_histr_enddate, end);
      SetPickerDateTime(*Form2->DateTimePicker_histr_endtime, end);
      Form2->Edit1->setText(QString::fromUtf8(step));
      ScopedSaveDialogHook save([&](const TSaveDialog&) -> std::optional<QString> {
        return QString::fromStdString(target);
      });
      Form2->Button1->click();
      return int{mrNone};
    });
    form->Button_expro_histrClick();
    EXPECT_EQ(Form2, nullptr);
  }

  // Bounds within a few records of the shown file's, or the file's own.
  std::pair<TDateTime, TDateTime> RandomRange(std::mt19937& random) {
    const TDateTime first = State().FileStartTime;
    const TDateTime last = State().FileEndTime;
    std::uniform_real_distribution<double> around(-0.2, 1.2);
    const auto at = [&] { return first + (last - first) * around(random); };
    if (random() % 4 == 0) return {first, last};
    return {at(), at()};
  }

  // What every shown file must satisfy: at most 128 curves, each of the points shown.
  void ExpectShownWithinTheLimits() {
    const int curves = form->Chart2->SeriesCount();
    EXPECT_LE(curves, kViewerMaxChannels);
    EXPECT_EQ(form->ChannelControlList.size(), static_cast<std::size_t>(curves));
    for (int i = 0; i < curves; ++i) {
      EXPECT_EQ(form->Chart2->Series(i)->Count(), State().PointsShown) << i;
    }
  }
};

TEST_F(DamagedHistoryFileTest, RandomHeadersAndRecordsAreShownOrRefused) {
  std::mt19937 random(1899);
  int shownFiles = 0;
  for (int n = 0; n < kDamagedFiles; ++n) {
    SCOPED_TRACE("file " + std::to_string(n));
    const std::string path = dir.File("damaged" + std::to_string(n) + ".vq");
    WriteDamagedFile(random, path);
    messageBoxes.clear();
    Open(path);
    const bool shown = State().HistoryFilePath == path;
    if (!shown) {
      EXPECT_FALSE(messageBoxes.isEmpty()) << "a file is shown or refused with a message";
      continue;
    }
    // Shown, with no message but the one that says a file of more than 128 channels is cut.
    EXPECT_TRUE(messageBoxes.isEmpty() ||
                (messageBoxes.size() == 1 && messageBoxes[0].contains("first 128")))
        << messageBoxes.join(" ").toStdString();
    ++shownFiles;
    ExpectShownWithinTheLimits();
    Page(random);
    Search(random);
    Export(random);
    ExpectShownWithinTheLimits();
  }
  EXPECT_GE(shownFiles, kDamagedFiles / 4) << "enough files get past the header to be worked";
}

TEST_F(DamagedHistoryFileTest, FilesCutAnywhereShowTheirWholeRecords) {
  constexpr int kChannels = 3;
  constexpr std::int64_t kRecords = 40;
  constexpr std::int64_t kRecordBytes = kChannels * 4;
  std::mt19937 random(3102);
  const std::string whole = dir.File("whole.vq");
  WriteHistoryFile(whole, kChannels, kRecords, 60);
  const std::string bytes = ReadFileBytes(whole);
  std::uniform_int_distribution<std::size_t> cut(0, bytes.size());
  for (int n = 0; n < 16; ++n) {
    const std::size_t size = n == 0 ? kHistoryHeaderSize - 1 : cut(random);
    SCOPED_TRACE("cut at " + std::to_string(size));
    const std::string path = dir.File("cut" + std::to_string(n) + ".vq");
    WriteFileBytes(path, bytes.substr(0, size));
    messageBoxes.clear();
    Open(path);
    if (static_cast<std::int64_t>(size) < kHistoryHeaderSize) {
      EXPECT_EQ(messageBoxes.size(), 1);
      continue;
    }
    ASSERT_EQ(State().HistoryFilePath, path);
    const std::int64_t records =
        (static_cast<std::int64_t>(size) - kHistoryHeaderSize) / kRecordBytes;
    EXPECT_EQ(State().PointsShown, records);
    Page(random);
    Search(random);
    Export(random);
    ExpectShownWithinTheLimits();
  }
}

TEST_F(DamagedHistoryFileTest, AFileThatShrinksOrTurnsToNoiseWhileShownIsNeverReadPastItsEnd) {
  constexpr int kChannels = 2;
  std::mt19937 random(2116);
  const std::string path = dir.File("shrinking.vq");
  for (int n = 0; n < 10; ++n) {
    SCOPED_TRACE("round " + std::to_string(n));
    WriteHistoryFile(path, kChannels, 2 * kPageRecordLimit + 3, 1);
    Open(path);
    ASSERT_EQ(State().PointsShown, kPageRecordLimit);
    if (n % 2 == 0) {
      const auto size = static_cast<std::uintmax_t>(std::filesystem::file_size(path));
      std::filesystem::resize_file(path,
                                   std::uniform_int_distribution<std::uintmax_t>(0, size)(random));
    } else {
      WriteDamagedFile(random, path);
    }
    Page(random);
    Search(random);
    Export(random);
    ExpectShownWithinTheLimits();
  }
}

TEST_F(DamagedHistoryFileTest, DamagedAliasFilesGiveAliasesOfAtMostTheirField) {
  std::mt19937 random(2944);
  const std::string file = dir.File("wide.vq");
  WriteHistoryFile(file, kViewerMaxChannels, 2, 60);
  for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{22}, std::size_t{23},
                                   std::size_t{kAliasFileSize - 1}, std::size_t{kAliasFileSize},
                                   std::size_t{kAliasFileSize + 1}, std::size_t{10000}}) {
    SCOPED_TRACE("alias file of " + std::to_string(length) + " bytes");
    form.reset();
    WriteFileBytes(dir.File(std::string(kAliasFileName)), RandomBytes(random, length));
    form = std::make_unique<TForm1>();
    form->FormCreate();
    Open(file);
    ASSERT_EQ(form->Chart2->SeriesCount(), kViewerMaxChannels);
    for (int i = 0; i < kViewerMaxChannels; ++i) {
      const std::string title = form->Chart2->Series(i)->Title().toStdString();
      EXPECT_LE(Utf8ToCp936(title).size(), static_cast<std::size_t>(kAliasTextBytes)) << i;
    }
    // An alias given through the panel lands in its entry whatever the file held around it.
    SetComboItemIndex(*form->ComboBoxChName, kViewerMaxChannels - 1);
    form->ComboBoxChNameChange();
    form->MaskEditChName->setText(QStringLiteral("Last"));
    form->btModChNameClick();
    EXPECT_EQ(View().ChannelAliasTable().Alias(kViewerMaxChannels - 1), "Last");
    EXPECT_EQ(ReadFileBytes(dir.File(std::string(kAliasFileName))).size(),
              std::max<std::size_t>(length, kAliasFileSize));
  }
}

}  // namespace
