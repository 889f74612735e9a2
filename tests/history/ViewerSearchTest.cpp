// "Search": the time window of the open file between the four pickers.

#include <QCheckBox>
#include <QDateEdit>
#include <QTimeEdit>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "history/ColorPanel.h"
#include "history/DatePickers.h"
#include "platform/Memory.h"
#include "platform/gui/Chart.h"
#include "tests/history/ViewerFixture.h"
#include "tests/support/AvailableMemory.h"

namespace {

class ViewerSearchTest : public ViewerTest {
 protected:
  // The pickers' dates and times of day are set from different values on purpose: only the
  // date of each date picker and the time of day of each time picker count.
  void Search(TDateTime start, TDateTime end) {
    SetPickerDateTime(*form->DateTimer_give_date, std::floor(start) + 0.75);
    SetPickerDateTime(*form->DateTimer_give_time, start - std::floor(start) + 3);
    SetPickerDateTime(*form->DateTimePickerEndDate, std::floor(end) + 0.25);
    SetPickerDateTime(*form->DateTimePickerEndTime, end - std::floor(end) + 2);
    messageBoxes.clear();
    form->Button1Click();
  }
  // Series 1 holds the records `records`, series 0 is labelled with `labels`.
  void ExpectWindow(const std::vector<std::int64_t>& records,
                    const std::vector<const char*>& labels) {
    const TFastLineSeries& series = *form->Chart2->Series(1);
    ASSERT_EQ(series.Count(), static_cast<int>(records.size()));
    EXPECT_EQ(State().PointsShown, static_cast<std::int64_t>(records.size()));
    for (std::size_t j = 0; j < records.size(); ++j) {
      EXPECT_EQ(series.XValue(static_cast<int>(j)), static_cast<std::int64_t>(j));
      EXPECT_EQ(series.YValue(static_cast<int>(j)), RecordValue(records[j], 1));
      EXPECT_EQ(form->Chart2->Series(0)->Label(static_cast<int>(j)), QString::fromUtf8(labels[j]));
    }
  }
  void ExpectMessage(const char* text) {
    ASSERT_EQ(messageBoxes.size(), 1);
    EXPECT_TRUE(messageBoxes[0].endsWith(QStringLiteral("|") + QString::fromUtf8(text)))
        << messageBoxes[0].toStdString();
  }
};

TEST_F(ViewerSearchTest, WindowsOfATenRecordFile) {
  WriteAndOpen("s.vq", 3, 10, 60);

  Search(TestTime(14, 2, 30), TestTime(14, 5, 0));
  ExpectWindow({2, 3, 4}, {"24-03-05 14:02:30", "24-03-05 14:03:30", "24-03-05 14:04:30"});

  Search(TestTime(14, 0, 0), TestTime(14, 0, 0));
  ExpectWindow({0, 1}, {"24-03-05 14:00:00", "24-03-05 14:01:00"});

  Search(TestTime(14, 7, 0), TestTime(14, 10, 0));  // the end is the file's end
  ExpectWindow({7, 8, 9}, {"24-03-05 14:07:00", "24-03-05 14:08:00", "24-03-05 14:09:00"});

  Search(TestTime(14, 10, 0), TestTime(14, 10, 0));
  ExpectWindow({}, {});
  EXPECT_EQ(form->Chart2->SeriesCount(), 3);
  EXPECT_TRUE(messageBoxes.isEmpty());
  EXPECT_EQ(form->BusyReading, 0);
}

TEST_F(ViewerSearchTest, RangeChecksInTheirOrder) {
  WriteAndOpen("s.vq", 3, 10, 60);
  Search(TestTime(14, 2, 0), TestTime(14, 4, 0));

  Search(TestTime(13, 59, 59), TestTime(14, 5, 0));
  ExpectMessage("It is beyond the minimum time range!");
  Search(TestTime(14, 10, 1), TestTime(14, 10, 2));
  ExpectMessage("It is beyond the maximum time range!");
  Search(TestTime(13, 0, 0), TestTime(14, 10, 1));  // both wrong: the maximum check comes first
  ExpectMessage("It is beyond the maximum time range!");
  Search(TestTime(14, 5, 0), TestTime(14, 4, 0));
  ExpectMessage("The starting time should be greater than the end time!");
  ExpectWindow({2, 3, 4}, {"24-03-05 14:02:00", "24-03-05 14:03:00", "24-03-05 14:04:00"});
}

TEST_F(ViewerSearchTest, EveryStartOnARecordFindsThatRecord) {
  // A start with milliseconds and an interval that leaves no whole fraction of a day: the index
  // taken from TDateTime differences misses many of these records.
  const TDateTime start = TestTime(9, 17, 3, 481);
  WriteAndOpen("s.vq", 2, 400, 7, start);
  for (std::int64_t k = 0; k < 400; k += 3) {
    const TDateTime onRecord = MsToDateTime(DateTimeToMs(start) + k * 7000);
    Search(onRecord, onRecord);
    ASSERT_GE(form->Chart2->Series(1)->Count(), 1) << k;
    EXPECT_EQ(form->Chart2->Series(1)->YValue(0), RecordValue(k, 1)) << k;
  }
}

TEST_F(ViewerSearchTest, LongWindowIsReadWhole) {
  const TDateTime start = TestTime(0, 0, 0);
  WriteAndOpen("s.vq", 2, 30500, 1, start);
  Search(MsToDateTime(DateTimeToMs(start) + 100'000),
         MsToDateTime(DateTimeToMs(start) + 30'099'000));
  EXPECT_EQ(State().PointsShown, 30000);
  ASSERT_EQ(form->Chart2->Series(1)->Count(), 30000);
  EXPECT_EQ(form->Chart2->Series(1)->YValue(29999), RecordValue(30099, 1));
  EXPECT_EQ(form->Chart2->Series(0)->Label(29999), QStringLiteral("24-03-05 08:21:39"));
}

TEST_F(ViewerSearchTest, WindowTooLongForTheMemoryIsRefusedWithTheLongestThatCanBeShown) {
  const TDateTime start = TestTime(0, 0, 0);
  WriteAndOpen("s.vq", 4, 80000, 1, start);
  // 1 MB available, and the 320,000 bytes of the page shown, which go before a window is read:
  // a window may take three quarters of 1.32 MB, 61,875 records of 4 channels.
  const ScopedAvailableMemory memory(1'000'000);
  Search(start, MsToDateTime(DateTimeToMs(start) + 64'999'000));
  ASSERT_EQ(messageBoxes.size(), 1);
  const QString& message = messageBoxes[0];
  EXPECT_TRUE(message.contains(QStringLiteral("65000 records of 4 channels (1.0 MB)")))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QStringLiteral("1.3 MB of memory available")));
  EXPECT_TRUE(message.contains(QStringLiteral("61875 records (17 hours 11 minutes)")));
  // Nothing read: the first page stays, and the window stays usable.
  EXPECT_EQ(form->Chart2->Series(1)->Count(), 20000);
  EXPECT_EQ(State().PointsShown, 20000);
  EXPECT_EQ(form->BusyReading, 0);
  EXPECT_FALSE(form->Panel_histread_progress->isVisibleTo(form.get()));

  // The longest window that can be shown is read whole.
  Search(start, MsToDateTime(DateTimeToMs(start) + 61'874'000));
  EXPECT_TRUE(messageBoxes.isEmpty()) << messageBoxes.join(" ").toStdString();
  ASSERT_EQ(form->Chart2->Series(3)->Count(), 61875);
  EXPECT_EQ(form->Chart2->Series(3)->YValue(61874), RecordValue(61874, 3));
}

// Set in the child process that runs a test again under a limit of its own.
constexpr char kLimitedChild[] = "VIEWER_TEST_LIMITED_CHILD";

// Runs the current test again in a child process of this test program, and expects it to pass
// there.
void ExpectPassesInLimitedChild() {
  const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
  std::string filter = std::string("--gtest_filter=") + test.test_suite_name() + "." + test.name();
  std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    environment.emplace_back(*variable);
  }
  environment.push_back(std::string(kLimitedChild) + "=1");
  std::vector<char*> argv = {program.data(), filter.data(), nullptr};
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

// The size of this process's address space now.
std::int64_t AddressSpaceBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string key; status >> key;) {
    std::int64_t kib = 0;
    if (key == "VmSize:" && status >> kib) return kib * 1024;
  }
  return 0;
}

TEST_F(ViewerSearchTest, WindowBeyondTheAddressSpaceLimitIsRefusedAndTheCurvesShownStay) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve address space that no limit may cut";
#endif
  if (std::getenv(kLimitedChild) == nullptr) {
    ExpectPassesInLimitedChild();
    return;
  }
  // 10,000,000 records of 4 channels, 160 MB of values; the first page holds numbers, the
  // rest is a hole of zeros.
  constexpr int kChannels = 4;
  constexpr std::int64_t kRecords = 10'000'000;
  const std::string path = dir.File("big.vq");
  const TDateTime start = TestTime(0, 0, 0);
  WriteHistoryFile(path, kChannels, kPageRecordLimit, 1, start);
  std::filesystem::resize_file(path, kHistoryHeaderSize + kRecords * kChannels * 4);
  View().ChannelAliasTable().SetAlias(1, "Boiler");
  Open(path);
  ASSERT_EQ(State().PointsShown, kPageRecordLimit);
  const auto expectFirstPage = [&] {
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();
    ASSERT_EQ(form->Chart2->SeriesCount(), kChannels);
    ASSERT_EQ(form->Chart2->Series(1)->Count(), kPageRecordLimit);
    EXPECT_EQ(form->Chart2->Series(1)->YValue(19999), RecordValue(19999, 1));
    EXPECT_EQ(form->Chart2->Series(1)->Title(), QStringLiteral("Boiler"));
    EXPECT_EQ(form->Chart2->Series(0)->Label(0), QStringLiteral("24-03-05 00:00:00"));
    EXPECT_EQ(State().PointsShown, kPageRecordLimit);
    EXPECT_EQ(form->BusyReading, 0);
  };

  // 64 MiB of address space left, whatever the system has.
  constexpr std::int64_t kHeadroom = std::int64_t{64} << 20;
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
  limit.rlim_cur = static_cast<rlim_t>(AddressSpaceBytes() + kHeadroom);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
  EXPECT_GT(AvailableMemoryBytes(), 0);
  EXPECT_LE(AvailableMemoryBytes(), kHeadroom);
  const TDateTime end = MsToDateTime(DateTimeToMs(start) + (kRecords - 1) * 1000);
  Search(start, end);
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral(
      "This time window holds 10000000 records of 4 channels (160.0 MB), more than can be held "
      "with the ")))
      << messageBoxes[0].toStdString();
  expectFirstPage();

  // Told that there is plenty, the window passes the check, and its curves cannot be made;
  // asked again, the figure still says plenty, so no figure and no longest window are told.
  const ScopedAvailableMemory plenty(std::int64_t{100} << 30);
  Search(start, end);
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].endsWith(QStringLiteral(
      "|This time window holds 10000000 records of 4 channels (160.0 MB), more than can be "
      "held.")))
      << messageBoxes[0].toStdString();
  expectFirstPage();
}

TEST_F(ViewerSearchTest, SeriesKeepColoursAndAliasesButShowEveryLine) {
  WriteAndOpen("s.vq", 3, 10, 60);
  form->ChannelControlList[2].ColorPanel->SetColor(clFuchsia);
  View().ChannelAliasTable().SetAlias(1, "Boiler");
  form->ChannelControlList[1].CheckBox->setChecked(false);
  View().SetCurveSelected(1, false);
  form->Chart2->Series(1)->SetLineVisible(false);

  Search(TestTime(14, 0, 0), TestTime(14, 3, 0));
  EXPECT_EQ(form->Chart2->Series(2)->Color(), clFuchsia);
  EXPECT_EQ(form->Chart2->Series(1)->Title(), QStringLiteral("Boiler"));
  EXPECT_TRUE(form->Chart2->Series(1)->LineVisible());
  EXPECT_FALSE(form->ChannelControlList[1].CheckBox->isChecked());
  EXPECT_EQ(View().CurveSelectedFlags()[1], 0);
}

TEST_F(ViewerSearchTest, FileWhoseIntervalBecameZeroIsRefused) {
  const std::string path = WriteAndOpen("s.vq", 3, 10, 60);
  const std::int32_t zero = 0;
  ASSERT_TRUE(WriteExistingFileAt(path, 8, &zero, sizeof zero).ok());
  Search(TestTime(14, 2, 0), TestTime(14, 4, 0));
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_EQ(form->Chart2->Series(1)->Count(), 10);
}

TEST_F(ViewerSearchTest, FileShownWithIntervalZeroIsNotSearched) {
  WriteAndOpen("s.vq", 3, 4, 0);
  Search(TestTime(14, 0, 0), TestTime(14, 0, 0));  // the only time its range holds
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral("s.vq"))) << messageBoxes[0].toStdString();
  EXPECT_EQ(form->Chart2->Series(1)->Count(), 4);
  EXPECT_FALSE(form->Panel_histread_progress->isVisibleTo(form.get()));
  EXPECT_EQ(form->BusyReading, 0);
}

}  // namespace
