// "Export to EXCEL" and the export dialog TForm2.

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>

#include <functional>
#include <optional>

#include "history/DatePickers.h"
#include "history/ExportForm.h"
#include "platform/gui/Captions.h"
#include "tests/history/ViewerFixture.h"

namespace {

class ExportDialogTest : public ViewerTest {
 protected:
  // Presses "Export to EXCEL"; `use` works the dialog while it is shown.
  void WithDialog(const std::function<void(TForm2&)>& use) {
    ScopedModalHook modal([&](QDialog& dialog) {
      EXPECT_EQ(Form2, &dialog);
      use(*Form2);
      return int{mrNone};
    });
    form->Button_expro_histrClick();
    EXPECT_EQ(Form2, nullptr);
  }
  // Sets the range and the step and presses "Export to Excel"; the save dialog answers `target`.
  void Export(TForm2& dialog, TDateTime start, TDateTime end, const char* step,
              std::optional<std::string> target) {
    SetPickerDateTime(*dialog.DateTimePicker_histr_startdate, start);
    SetPickerDateTime(*dialog.DateTimePicker_histr_starttime, start);
    SetPickerDateTime(*dialog.DateTimePicker_histr_enddate, end);
    SetPickerDateTime(*dialog.DateTimePicker_histr_endtime, end);
    dialog.Edit1->setText(QString::fromUtf8(step));
    ScopedSaveDialogHook save([&](const TSaveDialog& asked) -> std::optional<QString> {
      saveFilter = asked.Filter() + "/" + asked.DefaultExt();
      if (!target) return std::nullopt;
      return QString::fromStdString(*target);
    });
    messageBoxes.clear();
    saveFilter.clear();
    dialog.Button1->click();
  }
  void ExpectMessage(const char* text) {
    ASSERT_EQ(messageBoxes.size(), 1);
    EXPECT_TRUE(messageBoxes[0].endsWith(QStringLiteral("|") + QString::fromUtf8(text)))
        << messageBoxes[0].toStdString();
  }

  QString saveFilter;
};

TEST_F(ExportDialogTest, DialogShowsTheFileRange) {
  WriteAndOpen("d.vq", 3, 10, 60);
  WithDialog([this](TForm2& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Time Range Setting"));
    EXPECT_EQ(dialog.Label_histr_timerange->text(),
              QStringLiteral("Valid Time Range: 24-03-05 14:00:00 To 24-03-05 14:10:00         "));
    EXPECT_EQ(ControlText(*dialog.Label1), QStringLiteral("Starting Time"));
    EXPECT_EQ(ControlText(*dialog.Label2), QStringLiteral("End Time"));
    EXPECT_EQ(ControlText(*dialog.Label3), QStringLiteral("Interval Time"));
    EXPECT_EQ(ControlText(*dialog.Button1), QStringLiteral("Export to Excel"));
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("0"));
    EXPECT_EQ(PickedDateTime(*dialog.DateTimePicker_histr_startdate,
                             *dialog.DateTimePicker_histr_starttime),
              State().FileStartTime);
    EXPECT_EQ(
        PickedDateTime(*dialog.DateTimePicker_histr_enddate, *dialog.DateTimePicker_histr_endtime),
        State().FileEndTime);
  });
}

TEST_F(ExportDialogTest, ExportsTheCheckedChannelsAndStaysOpenForMore) {
  WriteAndOpen("d.vq", 3, 10, 60);
  form->ChannelControlList[1].CheckBox->setChecked(false);
  const std::string first = dir.File("first.xls");
  const std::string whole = dir.File("whole.xls");
  WithDialog([&](TForm2& dialog) {
    Export(dialog, TestTime(14, 0, 30), TestTime(14, 5, 0), "1", first);
    ExpectMessage("Data Export is finished!");
    EXPECT_EQ(saveFilter, QString::fromUtf8("Excel文件|*.xls/xls"));
    EXPECT_EQ(dialog.CGauge1->value(), 0);
    // The whole file, as the dialog opened: a range taken from the file's bounds is accepted.
    Export(dialog, State().FileStartTime, State().FileEndTime, "0", whole);
    ExpectMessage("Data Export is finished!");
  });
  EXPECT_EQ(ReadFileBytes(first),
            "Time\tCh0\tCh2\t\r\n"
            "24-03-05 14:00:30\t10\t12\t\r\n"
            "24-03-05 14:02:30\t30\t32\t\r\n"
            "24-03-05 14:04:30\t50\t52\t\r\n");
  EXPECT_TRUE(ReadFileBytes(whole).ends_with("24-03-05 14:09:00\t90\t92\t\r\n"));
}

TEST_F(ExportDialogTest, AllUncheckedExportsOnlyTheTimeColumn) {
  WriteAndOpen("d.vq", 3, 10, 60);
  form->CheckBox_allhisrt_curve->setChecked(false);
  const std::string target = dir.File("times.xls");
  WithDialog([&](TForm2& dialog) {
    Export(dialog, TestTime(14, 0, 0), TestTime(14, 1, 0), "0", target);
    ExpectMessage("Data Export is finished!");
  });
  EXPECT_EQ(ReadFileBytes(target), "Time\t\r\n24-03-05 14:00:00\t\r\n24-03-05 14:01:00\t\r\n");
}

TEST_F(ExportDialogTest, RefusalsWriteNothing) {
  WriteAndOpen("d.vq", 3, 10, 60);
  const std::string target = dir.File("x.xls");
  WithDialog([&](TForm2& dialog) {
    Export(dialog, TestTime(13, 59, 59), TestTime(14, 5, 0), "0", target);
    ExpectMessage("The Time Range is not correct!");
    Export(dialog, TestTime(14, 6, 0), TestTime(14, 5, 0), "0", target);
    ExpectMessage("The Time Range is not correct!");
    for (const char* step : {"-1", "1.5", ""}) {
      Export(dialog, TestTime(14, 0, 0), TestTime(14, 5, 0), step, target);
      ExpectMessage("The Interval Time must be a whole number of at least 0!");
    }
    EXPECT_TRUE(saveFilter.isEmpty());  // refused before the save dialog
    Export(dialog, TestTime(14, 0, 0), TestTime(14, 5, 0), "0", std::nullopt);  // cancelled
    EXPECT_TRUE(messageBoxes.isEmpty());
  });
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(ExportDialogTest, FailuresAreReportedNotFinished) {
  const std::string history = WriteAndOpen("d.vq", 3, 10, 60);
  const std::string nowhere = dir.File("gone/x.xls");
  WithDialog([&](TForm2& dialog) {
    Export(dialog, TestTime(14, 0, 0), TestTime(14, 5, 0), "0", nowhere);
    ASSERT_EQ(messageBoxes.size(), 1);
    EXPECT_TRUE(messageBoxes[0].contains(QString::fromStdString(nowhere)));
    // The file was replaced by one whose records have no times since it was opened.
    WriteHistoryFile(history, 3, 10, 0);
    Export(dialog, TestTime(14, 0, 0), TestTime(14, 5, 0), "0", dir.File("y.xls"));
    ASSERT_EQ(messageBoxes.size(), 1);
    EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral("interval is 0")));
    EXPECT_TRUE(saveFilter.isEmpty());
  });
}

}  // namespace
