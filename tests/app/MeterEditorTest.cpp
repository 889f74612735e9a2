// The meter editor: grid fill, row selection, Add, Delete, Modify and Save on the meter table.

#include <gtest/gtest.h>

#include <QGroupBox>

#include <cstring>
#include <memory>

#include "platform/gui/Captions.h"
#include "platform/gui/Cp936Edit.h"
#include "station/comm/SetValueRequest.h"
#include "tests/app/MeterEditorFixture.h"

namespace {

const QString kCaption = QString::fromUtf8("错误");

class MeterEditorTest : public EditorTest {
 protected:
  // Fills the meter edit fields.
  struct Edits {
    const char* name = "泵站A";
    const char* address = "7";
    const char* interval = "5";
    const char* startRegister = "100";
    const char* tcpPort = "502";
    int commCode = 1;
    int commMode = 0;
    int comIndex = 2;
    int baud = 4;  // 19200
    const char* ip = "10.0.0.9";
  };
  void Type(const Edits& e) {
    form->ed_MeterName->setText(QString::fromUtf8(e.name));
    form->ed_MeterAddr->setText(e.address);
    form->ed_MeterPreRecordTime->setText(e.interval);
    form->ed_CommStartReg->setText(e.startRegister);
    form->ed_Port->setText(e.tcpPort);
    SetComboItemIndex(*form->cbo_MeterCommStyle, e.commCode);
    SetComboItemIndex(*form->cbo_CommMod, e.commMode);
    SetComboItemIndex(*form->cboBox_MeterCommSerial, e.comIndex);
    SetComboItemIndex(*form->cboBox_MeterCommBaundrate, e.baud);
    form->ed_MeterIPAddr->setText(e.ip);
  }
  QString Message(const char* text) { return kCaption + "|" + QString::fromUtf8(text); }
};

TEST_F(MeterEditorTest, EmptyTableShowsHeaderAndOneEmptyRowAndIgnoresItsButtons) {
  ASSERT_EQ(MeterGrid().RowCount(), 2);
  EXPECT_EQ(Cell(MeterGrid(), 2, 0), "Addrress");
  form->ed_MeterName->setText("unchanged");
  SelectMeterRow(1);
  form->btn_MeterDel->click();
  form->btn_MeterModify->click();
  EXPECT_EQ(Table().MeterCount, 0);
  EXPECT_EQ(MeterGrid().RowCount(), 2);
  EXPECT_EQ(form->ed_MeterName->text(), "unchanged");
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(MeterEditorTest, AddStoresUncheckedWidthsAndSelectsTheNewMeter) {
  PutMeter("first", 1);
  // No comm mode selected, as right after start-up: stored as 255, polled over TCP.
  Type({.name = "泵站A", .address = "300", .startRegister = "-1", .commMode = -1});
  form->btn_MeterAdd->click();

  ASSERT_EQ(Table().MeterCount, 2);
  const TMeterRecord& meter = Meter(1);
  EXPECT_EQ(meter.SlaveAddress, 44);
  EXPECT_EQ(FieldValue(meter.StartRegister), 65535);
  EXPECT_EQ(meter.CommMode, 255);
  EXPECT_EQ(meter.ComIndex, 2);
  EXPECT_EQ(Table().PortBaudIndex[2], 4);
  EXPECT_EQ(ReadFixedText(meter.IpAddress), "10.0.0.9");
  EXPECT_EQ(meter.ChannelCount, 1);
  EXPECT_EQ(ReadFixedText(meter.Channels[0].Name), "CH1");
  // Row 2 is selected and shown, as stored.
  EXPECT_EQ(MeterGrid().RowCount(), 4);
  EXPECT_EQ(MeterGrid().Row(), 2);
  EXPECT_EQ(Cell(MeterGrid(), 0, 2), "Ethernet");
  EXPECT_EQ(Cell(MeterGrid(), 1, 2), "泵站A");
  EXPECT_EQ(Cell(MeterGrid(), 2, 2), "44");
  EXPECT_EQ(Cell(MeterGrid(), 0, 1), "COM1");
  EXPECT_EQ(form->ed_CommStartReg->text(), "65535");
  EXPECT_EQ(form->grupBox_MeterChannelInfo->title(),
            QString::fromUtf8("泵站A:Channel Information"));
  EXPECT_EQ(Cell(ChannelGrid(), 1, 1), "CH1");
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(MeterEditorTest, The121stMeterIsRefused) {
  Table().MeterCount = kMaxMeters;
  form->btn_MeterAdd->click();
  EXPECT_EQ(Table().MeterCount, kMaxMeters);
  EXPECT_EQ(messageBoxes, QStringList{Message("最多只能添加120台设备!")});
}

TEST_F(MeterEditorTest, AddWithLettersInTheAddressStillAddsAMeterThatTookNoField) {
  Type({.address = "abc", .commMode = 1});
  form->btn_MeterAdd->click();
  EXPECT_EQ(messageBoxes, QStringList{Message("请正确输入设备地址!")});
  ASSERT_EQ(Table().MeterCount, 1);
  TMeterRecord fresh;
  fresh.Clear();
  fresh.ChannelCount = 1;
  WriteFixedText(fresh.Channels[0].Name, "CH1");
  EXPECT_EQ(std::memcmp(&Meter(0).Stored(), &fresh.Stored(), sizeof(TMeterStored)), 0);
  EXPECT_EQ(Table().PortBaudIndex[2], 0);
}

TEST_F(MeterEditorTest, ModifyTakesTheFieldsBeforeTheFirstBadNumberAndSetsThePortsBaud) {
  const struct {
    Edits edits;
    const char* message;
    int taken;  // address, interval, start register, TCP port: how many were taken
  } cases[] = {
      {{.address = "x"}, "请正确输入设备地址!", 0},
      {{.interval = "1.5"}, "请正确输入记录间隔!", 1},
      {{.startRegister = ""}, "请正确输入通讯起始地址!", 2},
      {{.tcpPort = "60 00"}, "请正确输入通讯端口", 3},
      {{}, nullptr, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.taken);
    Table().MeterCount = 0;
    TMeterRecord& meter = PutMeter("old", 1, 1, 6);
    meter.RecordInterval = 9;
    meter.StartRegister = 9;
    meter.TcpPort = 9;
    Table().PortBaudIndex[6] = 0;
    Table().PortBaudIndex[2] = 0;
    messageBoxes.clear();
    SelectMeterRow(1);
    Type(c.edits);
    form->btn_MeterModify->click();

    EXPECT_EQ(messageBoxes.size(), c.message ? 1 : 0);
    if (c.message) {
      EXPECT_EQ(messageBoxes.value(0), Message(c.message));
    }
    EXPECT_EQ(meter.SlaveAddress, c.taken > 0 ? 7 : 1);
    EXPECT_EQ(FieldValue(meter.RecordInterval), c.taken > 1 ? 5 : 9);
    EXPECT_EQ(FieldValue(meter.StartRegister), c.taken > 2 ? 100 : 9);
    EXPECT_EQ(FieldValue(meter.TcpPort), c.taken > 3 ? 502 : 9);
    EXPECT_EQ(ReadFixedText(meter.Name), c.taken > 3 ? "泵站A" : "old");
    // The baud rate always goes to the meter's port as it stands after the read.
    const int port = c.taken > 3 ? 2 : 6;
    EXPECT_EQ(meter.ComIndex, port);
    EXPECT_EQ(Table().PortBaudIndex[port], 4);
    EXPECT_EQ(Cell(MeterGrid(), 2, 1), std::to_string(meter.SlaveAddress));
  }
}

TEST_F(MeterEditorTest, TwoMetersOnOnePortShareItsBaudRate) {
  PutMeter("a", 1, 1, 2);
  PutMeter("b", 2, 1, 2);
  Table().PortBaudIndex[2] = 2;
  SelectMeterRow(1);
  SetComboItemIndex(*form->cboBox_MeterCommBaundrate, 4);
  form->btn_MeterModify->click();
  EXPECT_EQ(Table().PortBaudIndex[2], 4);
  SelectMeterRow(2);
  EXPECT_EQ(ControlText(*form->cboBox_MeterCommBaundrate), "19200");
}

TEST_F(MeterEditorTest, DeleteMovesWholeRecordsUpAndKeepsTheRowSelected) {
  for (std::uint8_t m = 0; m < 4; ++m) {
    TMeterRecord& meter = PutMeter(("m" + std::to_string(m + 1)).c_str(), m + 1);
    meter.Values[0] = 10.0f * (m + 1);
    meter.Online = m % 2;
    meter.HAFlags[0] = 1;
  }
  SelectMeterRow(2);
  form->btn_MeterDel->click();

  ASSERT_EQ(Table().MeterCount, 3);
  for (int m = 1; m < 3; ++m) {
    EXPECT_EQ(Meter(m).SlaveAddress, m + 2);
    EXPECT_EQ(Meter(m).Value(0), 10.0f * (m + 2));
    EXPECT_EQ(Meter(m).IsOnline(), (m + 1) % 2 == 1);
    EXPECT_EQ(Meter(m).HAFlags[0].load(), 1);
  }
  EXPECT_EQ(MeterGrid().RowCount(), 5);
  EXPECT_EQ(MeterGrid().Row(), 2);
  EXPECT_EQ(form->ed_MeterName->text(), "m3");
  EXPECT_EQ(Cell(MeterGrid(), 1, 4), "");

  // Deleting the last meter selects the empty row.
  SelectMeterRow(3);
  form->btn_MeterDel->click();
  EXPECT_EQ(Table().MeterCount, 2);
  EXPECT_EQ(MeterGrid().Row(), 3);
}

TEST_F(MeterEditorTest, DeleteShowsTheMeterThatMovedUpSoModifyKeepsIt) {
  PutMeter("m1", 1, 1);
  TMeterRecord& second = PutMeter("m2", 2, 3, 2);
  second.CommCode = 1;
  second.StartRegister = 40;
  second.RecordInterval = 5;
  second.TcpPort = 502;
  WriteFixedText(second.IpAddress, "10.0.0.2");
  Table().PortBaudIndex[2] = 4;
  PutMeter("m3", 3, 2);
  const TMeterStored moved[] = {Meter(1).Stored(), Meter(2).Stored()};
  SelectMeterRow(1);
  form->btn_MeterDel->click();
  EXPECT_EQ(form->ed_MeterName->text(), "m2");
  EXPECT_EQ(form->ed_MeterIPAddr->text(), "10.0.0.2");
  EXPECT_EQ(ChannelGrid().RowCount(), 5) << "m2's channels";
  form->btn_MeterModify->click();
  form->btn_MeterSave->click();
  const std::string file = ReadFileBytes(ConfigPath());
  for (int m = 0; m < 2; ++m) {
    EXPECT_EQ(file.substr(kFirstMeterBlockOffset + kMeterBlockSize * m, kMeterBlockSize),
              std::string(reinterpret_cast<const char*>(&moved[m]), kMeterBlockSize))
        << m;
  }
  EXPECT_EQ(Table().PortBaudIndex[2], 4);

  // Deleting the last meter leaves the empty row, and neither a meter nor channels to show.
  SelectMeterRow(2);
  form->btn_MeterDel->click();
  EXPECT_EQ(MeterGrid().Row(), 2);
  for (const TCp936Edit* edit : {form->ed_MeterName, form->ed_MeterAddr, form->ed_Port,
                                 form->ed_MeterIPAddr, form->ed_ChannelName}) {
    EXPECT_EQ(edit->text(), "") << edit->objectName().toStdString();
  }
  EXPECT_EQ(ChannelGrid().RowCount(), 2);
  EXPECT_EQ(Cell(ChannelGrid(), 1, 1), "");
  form->btn_MeterModify->click();
  EXPECT_EQ(Table().MeterCount, 1);
  EXPECT_EQ(std::memcmp(&Meter(0).Stored(), &moved[0], kMeterBlockSize), 0);
  EXPECT_TRUE(messageBoxes.isEmpty() && errorBoxes.isEmpty());
}

TEST_F(MeterEditorTest, RefillsLeaveTheSetValueColumnInEveryRow) {
  for (std::uint8_t m = 0; m < 3; ++m) PutMeter(("m" + std::to_string(m + 1)).c_str(), m + 1);
  // The set-value panel's last values in column 3.
  const char* const setValues[] = {"1.5", "3", "4.5"};
  for (int row = 1; row <= 3; ++row) MeterGrid().SetCells(3, row, setValues[row - 1]);

  SelectMeterRow(2);
  form->btn_MeterModify->click();
  for (int row = 1; row <= 3; ++row) EXPECT_EQ(Cell(MeterGrid(), 3, row), setValues[row - 1]);
  SelectMeterRow(3);
  EXPECT_EQ(form->edSV->text(), "4.5");

  // Column 3 stays with its row when the meters move; the texts of the other columns do not
  // stay behind in the empty row.
  SelectMeterRow(2);
  form->btn_MeterDel->click();
  ASSERT_EQ(MeterGrid().RowCount(), 4);
  EXPECT_EQ(Cell(MeterGrid(), 3, 2), "3");
  EXPECT_EQ(Cell(MeterGrid(), 1, 3), "");
  EXPECT_EQ(Cell(MeterGrid(), 3, 3), "4.5");
}

TEST_F(MeterEditorTest, SaveWritesTheTableAndTheBaudIndexes) {
  Type({});
  form->btn_MeterAdd->click();
  Type({.name = "second", .address = "8", .comIndex = 39, .baud = 7});
  form->btn_MeterAdd->click();
  form->btn_MeterSave->click();

  auto owned = std::make_unique<MeterTable>();
  MeterTable& loaded = *owned;
  EXPECT_EQ(LoadMeterTable(ConfigPath(), loaded), "");
  EXPECT_EQ(LoadBaudTable(ConfigPath(), loaded.PortBaudIndex), "");
  ASSERT_EQ(loaded.MeterCount, 2);
  for (int m = 0; m < 2; ++m) {
    EXPECT_EQ(std::memcmp(&loaded.Meters[m].Stored(), &Meter(m).Stored(), sizeof(TMeterStored)),
              0);
  }
  EXPECT_EQ(loaded.PortBaudIndex[2], 4);
  EXPECT_EQ(loaded.PortBaudIndex[39], 7);
}

}  // namespace
