// The batch add: the dialog's checks and the meters it appends, answered through the modal hook.

#include <gtest/gtest.h>

#include <QLabel>

#include <functional>
#include <string>

#include "station/app/MeterBatchAddForm.h"
#include "tests/app/MeterEditorFixture.h"
#include "tests/app/parts/BatchAddCases.h"

namespace {

const QString kCaption = QString::fromUtf8("错误");

class BatchAddTest : public EditorTest {
 protected:
  // Presses btn_MeterBatchAdd, lets `fill` type into the dialog and presses OK; Cancel when the
  // entry was refused. Returns the dialog's result.
  int BatchAdd(const std::function<void(Tfm_MeterBatchAddForm&)>& fill) {
    int result = -1;
    ScopedModalHook hook([&](QDialog& dialog) {
      auto& d = dynamic_cast<Tfm_MeterBatchAddForm&>(dialog);
      shownExisting = d.ExistingMeterCount;
      shownTexts = {d.windowTitle(), d.lab_MeterAddCount->text(), d.lab_RecordTimeUnit->text(),
                    d.lab_MeterCommSerial->text(), d.bt_Ok->text(), d.bt_Cancel->text()};
      fill(d);
      d.bt_Ok->click();
      if (d.result() == mrNone) {
        portAfterRefusal = d.ed_Port->text();
        d.bt_Cancel->click();
      }
      return result = d.result();
    });
    form->btn_MeterBatchAdd->click();
    return result;
  }
  int BatchAdd(const char* meters, const char* channels) {
    return BatchAdd([&](Tfm_MeterBatchAddForm& d) {
      d.ed_MeterAddCount->setText(meters);
      d.ed_MeterChCount->setText(channels);
    });
  }
  void PutEmptyMeters(int count) {
    Table().MeterCount = count;
    form->FillMeterList();
  }

  int shownExisting = -1;
  QStringList shownTexts;
  QString portAfterRefusal;
};

TEST_F(BatchAddTest, UpTo120MetersInAllAreAccepted) {
  PutEmptyMeters(100);
  EXPECT_EQ(BatchAdd("21", "1"), mrCancel);
  EXPECT_EQ(messageBoxes,
            QStringList{kCaption + QString::fromUtf8(
                                       "|添加后设备个数大于120台, 请减少要添加的设备数!")});
  EXPECT_EQ(Table().MeterCount, 100);
  EXPECT_EQ(shownExisting, 100);
  EXPECT_EQ(shownTexts, (QStringList{"Configuration in Bulk", "Slaves Numbers", "S", "Serial No. ",
                                     "OK", "Cancel"}));

  // A count near the 32-bit limit must not wrap the total below 120.
  messageBoxes.clear();
  EXPECT_EQ(BatchAdd("2147483647", "1"), mrCancel);
  EXPECT_EQ(messageBoxes.size(), 1);

  EXPECT_EQ(BatchAdd("20", "1"), mrOk);
  ASSERT_EQ(Table().MeterCount, 120);
  EXPECT_EQ(ReadFixedText(Meter(100).Name), "Slave101");
  EXPECT_EQ(ReadFixedText(Meter(119).Name), "Slave120");
  EXPECT_EQ(MeterGrid().RowCount(), 122);
  EXPECT_EQ(MeterGrid().Row(), 120);
  EXPECT_EQ(form->ed_MeterName->text(), "Slave120");
}

TEST_F(BatchAddTest, RefusedEntriesKeepTheDialogOpenAndTheTableUnchanged) {
  // The entries refused on an empty table.
  int refused = 0;
  for (const BatchAddCase& c : kBatchAddCases) {
    if (c.existing != 0 || *c.message == '\0') continue;
    ++refused;
    SCOPED_TRACE(std::string(c.meters) + "/" + c.channels + "/" + c.address + "/" + c.port);
    messageBoxes.clear();
    const int result = BatchAdd([&](Tfm_MeterBatchAddForm& d) {
      d.ed_MeterAddCount->setText(c.meters);
      d.ed_MeterChCount->setText(c.channels);
      d.ed_MeterAddr->setText(c.address);
      d.ed_Port->setText(c.port);
      d.ed_ChannelHHA->setText(c.hha);
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(portAfterRefusal, c.port);
    EXPECT_EQ(messageBoxes, QStringList{kCaption + "|" + QString::fromUtf8(c.message)});
    EXPECT_EQ(Table().MeterCount, 0);
  }
  EXPECT_EQ(refused, 8);
  EXPECT_EQ(BatchAdd("1", "48"), mrOk);
  EXPECT_EQ(Meter(0).ChannelCount, 48);
}

TEST_F(BatchAddTest, NoMetersToAddAppendsNothingAndSelectsTheLastMeter) {
  PutEmptyMeters(3);
  for (const char* count : {"0", "-3"}) {
    SCOPED_TRACE(count);
    messageBoxes.clear();
    EXPECT_EQ(BatchAdd([&](Tfm_MeterBatchAddForm& d) { d.ed_MeterAddCount->setText(count); }),
              mrOk);
    EXPECT_TRUE(messageBoxes.isEmpty());
    EXPECT_EQ(Table().MeterCount, 3);
    EXPECT_EQ(MeterGrid().RowCount(), 5);
    EXPECT_EQ(MeterGrid().Row(), 3);
  }
}

TEST_F(BatchAddTest, NewMetersTakeTheCommonSettingsBehindTheExistingOnes) {
  PutEmptyMeters(3);
  Table().PortBaudIndex[4] = 6;
  Meter(5).Channels[20].Colour = 0x123456;  // behind the new channel count: left alone
  ASSERT_EQ(BatchAdd([](Tfm_MeterBatchAddForm& d) {
              d.ed_MeterAddCount->setText("10");
              d.ed_MeterAddr->setText("250");
              d.ed_MeterChCount->setText("20");
              d.ed_MeterPreRecordTime->setText("7");
              d.ed_CommStartReg->setText("70000");
              d.ed_Port->setText("6001");
              SetComboItemIndex(*d.cbo_MeterCommStyle, 1);
              SetComboItemIndex(*d.cbo_CommMod, 1);
              SetComboItemIndex(*d.cboBox_MeterCommSerial, 4);
              SetComboItemIndex(*d.cboBox_ChannelPoin, 2);
            }),
            mrOk);

  // The fields of the new meters and channels: BatchAddRulesTest. Here: the dialog's entries
  // reach them.
  ASSERT_EQ(Table().MeterCount, 13);
  EXPECT_EQ(Meter(3).SlaveAddress, 250);
  EXPECT_EQ(Meter(12).SlaveAddress, 3);
  EXPECT_EQ(ReadFixedText(Meter(12).Name), "Slave13");
  EXPECT_EQ(FieldValue(Meter(12).StartRegister), 70000 & 0xFFFF);
  EXPECT_EQ(Meter(12).ComIndex, 4);
  ASSERT_EQ(Meter(12).ChannelCount, 20);
  EXPECT_EQ(ReadFixedText(Meter(12).Channels[19].Name), "CH20");
  EXPECT_EQ(Meter(12).Channels[19].Decimals, 2);
  EXPECT_EQ(FieldValue(Meter(12).Channels[19].HHA), 10000.0f);
  EXPECT_EQ(FieldValue(Meter(5).Channels[20].Colour), 0x123456);
  // The table in memory only: Config.dat still holds no meter.
  EXPECT_EQ(ReadFileBytes(ConfigPath()).substr(0, 4), std::string(4, '\0'));
  EXPECT_EQ(Table().PortBaudIndex[4], 6);
  EXPECT_EQ(MeterGrid().Row(), 13);
  EXPECT_EQ(ChannelGrid().RowCount(), 22);
  EXPECT_EQ(Cell(MeterGrid(), 0, 13), "Ethernet");
}

TEST_F(BatchAddTest, ALongCommonNameLeavesNoRoomForTheNumber) {
  const std::string name39(39, 'n');
  ASSERT_EQ(BatchAdd([&](Tfm_MeterBatchAddForm& d) {
              d.ed_MeterAddCount->setText("2");
              d.ed_MeterName->setText(QString::fromStdString(name39));
            }),
            mrOk);
  EXPECT_EQ(ReadFixedText(Meter(0).Name), name39);
  EXPECT_EQ(ReadFixedText(Meter(1).Name), name39);
}

}  // namespace
