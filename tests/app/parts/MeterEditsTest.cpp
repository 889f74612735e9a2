// The meter and channel editors' rules without a window: conversions of the edit texts, the
// fields taken in front of the first bad number, and the table changes of Add, Modify and
// Delete.

#include "station/app/parts/MeterEdits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "tests/support/TestSupport.h"

namespace {

TMeterEditTexts GoodMeterTexts() {
  TMeterEditTexts texts;
  texts.Address = "7";
  texts.RecordInterval = "5";
  texts.StartRegister = "100";
  texts.TcpPort = "502";
  texts.CommCode = 1;
  texts.CommMode = 0;
  texts.ComIndex = 2;
  texts.BaudIndex = 4;
  texts.IpAddress = "10.0.0.9";
  texts.Name = "泵站A";
  return texts;
}

// The edits applied to `meter` and `bauds` as the window applies them.
const char* Apply(const TMeterEditTexts& texts, TMeterRecord& meter, PortBaudIndexTable& bauds) {
  const TMeterEdits edits = ConvertMeterEdits(texts);
  for (const TMeterFieldValue& field : edits.Fields) ApplyMeterField(field, meter, bauds);
  return edits.Error;
}

TEST(MeterEditsTest, NumbersAreStoredInTheWidthOfTheirFieldWithoutARangeCheck) {
  TMeterRecord meter;
  meter.Clear();
  PortBaudIndexTable bauds{};
  TMeterEditTexts texts = GoodMeterTexts();
  texts.Address = "300";
  texts.StartRegister = "-1";
  texts.CommMode = -1;  // no selection, as right after start-up: polled over TCP
  EXPECT_EQ(Apply(texts, meter, bauds), nullptr);
  EXPECT_EQ(meter.SlaveAddress, 44);
  EXPECT_EQ(FieldValue(meter.StartRegister), 65535);
  EXPECT_EQ(meter.CommMode, 255);
  EXPECT_EQ(meter.CommCode, 1);
  EXPECT_EQ(meter.ComIndex, 2);
  EXPECT_EQ(bauds[2], 4);
  EXPECT_EQ(FieldValue(meter.RecordInterval), 5);
  EXPECT_EQ(FieldValue(meter.TcpPort), 502);
  EXPECT_EQ(ReadFixedText(meter.IpAddress), "10.0.0.9");
  EXPECT_EQ(ReadFixedText(meter.Name), "泵站A");
}

TEST(MeterEditsTest, TheFieldsBeforeTheFirstBadNumberAreTakenAndNoneAfterIt) {
  const struct {
    void (*spoil)(TMeterEditTexts&);
    const char* message;
    int taken;  // address, interval, start register, TCP port: how many were taken
  } cases[] = {
      {[](TMeterEditTexts& t) { t.Address = "x"; }, "请正确输入设备地址!", 0},
      {[](TMeterEditTexts& t) { t.RecordInterval = "1.5"; }, "请正确输入记录间隔!", 1},
      {[](TMeterEditTexts& t) { t.StartRegister = ""; }, "请正确输入通讯起始地址!", 2},
      {[](TMeterEditTexts& t) { t.TcpPort = "60 00"; }, "请正确输入通讯端口", 3},
      {[](TMeterEditTexts&) {}, nullptr, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.taken);
    TMeterRecord meter;
    meter.Clear();
    meter.SlaveAddress = 1;
    meter.RecordInterval = 9;
    meter.StartRegister = 9;
    meter.TcpPort = 9;
    meter.ComIndex = 6;
    WriteFixedText(meter.Name, "old");
    PortBaudIndexTable bauds{};
    TMeterEditTexts texts = GoodMeterTexts();
    c.spoil(texts);
    const char* error = Apply(texts, meter, bauds);
    EXPECT_EQ(error == nullptr ? std::string() : std::string(error),
              c.message == nullptr ? std::string() : std::string(c.message));
    EXPECT_EQ(meter.SlaveAddress, c.taken > 0 ? 7 : 1);
    EXPECT_EQ(FieldValue(meter.RecordInterval), c.taken > 1 ? 5 : 9);
    EXPECT_EQ(FieldValue(meter.StartRegister), c.taken > 2 ? 100 : 9);
    EXPECT_EQ(FieldValue(meter.TcpPort), c.taken > 3 ? 502 : 9);
    EXPECT_EQ(ReadFixedText(meter.Name), c.taken > 3 ? "泵站A" : "old");
    EXPECT_EQ(meter.ComIndex, c.taken > 3 ? 2 : 6);
    EXPECT_EQ(bauds[2], c.taken > 3 ? 4 : 0);
  }
}

TEST(MeterEditsTest, ComboBoxesWithoutASelectionLeaveTheirFields) {
  TMeterRecord meter;
  meter.Clear();
  meter.CommCode = 1;
  meter.ComIndex = 7;
  PortBaudIndexTable bauds{};
  bauds[7] = 3;
  TMeterEditTexts texts = GoodMeterTexts();
  texts.CommCode = -1;
  texts.ComIndex = -1;
  texts.BaudIndex = 5;
  EXPECT_EQ(Apply(texts, meter, bauds), nullptr);
  EXPECT_EQ(meter.CommCode, 1);
  EXPECT_EQ(meter.ComIndex, 7);
  for (int port = 0; port < kComPortCount; ++port) EXPECT_EQ(bauds[port], port == 7 ? 3 : 0);

  // A baud combo without a selection, or a port beyond COM40, sets no baud index.
  TakePortBaud(bauds, 7, -1);
  TakePortBaud(bauds, kComPortCount, 2);
  EXPECT_EQ(bauds[7], 3);
  TakePortBaud(bauds, 7, 4);
  EXPECT_EQ(bauds[7], 4);
}

TEST(MeterEditsTest, AddRefusesThe121stMeterAndStartsANewOneWithOneChannel) {
  auto table = std::make_unique<MeterTable>();
  table->MeterCount = kMaxMeters - 1;
  EXPECT_EQ(MeterAddRefusal(*table), nullptr);
  table->MeterCount = kMaxMeters;
  EXPECT_STREQ(MeterAddRefusal(*table), "最多只能添加120台设备!");

  // A slot that never held a meter takes nothing but its channel.
  TMeterRecord meter;
  meter.Clear();
  meter.Channels[0].Colour = 0x123456;
  meter.Channels[0].LA = 7.0f;
  StartNewMeter(meter);
  TMeterRecord fresh;
  fresh.Clear();
  fresh.ChannelCount = 1;
  fresh.Channels[0].Colour = 0x123456;
  WriteFixedText(fresh.Channels[0].Name, "CH1");
  EXPECT_EQ(std::memcmp(&meter.Stored(), &fresh.Stored(), sizeof(TMeterStored)), 0);
}

TEST(MeterEditsTest, DeleteMovesWholeRecordsUp) {
  auto table = std::make_unique<MeterTable>();
  for (int m = 0; m < 4; ++m) {
    TMeterRecord& meter = table->Meters[m];
    meter.Clear();
    meter.SlaveAddress = static_cast<std::uint8_t>(m + 1);
    meter.Values[0] = 10.0f * (m + 1);
    meter.Online = m % 2;
    meter.HAFlags[0] = 1;
  }
  table->MeterCount = 4;
  DeleteMeter(*table, 1);
  ASSERT_EQ(table->MeterCount, 3);
  for (int m = 1; m < 3; ++m) {
    EXPECT_EQ(table->Meters[m].SlaveAddress, m + 2);
    EXPECT_EQ(table->Meters[m].Value(0), 10.0f * (m + 2));
    EXPECT_EQ(table->Meters[m].IsOnline(), (m + 1) % 2 == 1);
    EXPECT_EQ(table->Meters[m].HAFlags[0].load(), 1);
  }
  DeleteMeter(*table, 2);
  EXPECT_EQ(table->MeterCount, 2);
}

TChannelEditTexts ChannelTexts(const char* lla, const char* la, const char* ha,
                               const char* hha) {
  TChannelEditTexts texts;
  texts.Name = "new";
  texts.Decimals = 3;
  texts.LLA = lla;
  texts.LA = la;
  texts.HA = ha;
  texts.HHA = hha;
  texts.Unit = "bar";
  texts.Colour = 0xFF0000;
  return texts;
}

std::string Apply(const TChannelEditTexts& texts, TChannelRecord& channel) {
  const TChannelEdits edits = ConvertChannelEdits(texts);
  for (const TChannelFieldValue& field : edits.Fields) ApplyChannelField(field, channel);
  return edits.Error;
}

TEST(MeterEditsTest, ALimitThatIsNoNumberStopsTheChannelEditAfterTheFieldsBeforeIt) {
  TChannelRecord channel{};
  channel.Colour = 0x0000FF;
  WriteFixedText(channel.Unit, "old");
  EXPECT_EQ(Apply(ChannelTexts("1", "2", "abc", "4"), channel),
            "'abc' is not a valid floating point value");
  // The fields before the bad limit were taken; unit and colour were not.
  EXPECT_EQ(ReadFixedText(channel.Name), "new");
  EXPECT_EQ(channel.Decimals, 3);
  EXPECT_EQ(FieldValue(channel.LLA), 1.0f);
  EXPECT_EQ(FieldValue(channel.LA), 2.0f);
  EXPECT_EQ(FieldValue(channel.HA), 0.0f);
  EXPECT_EQ(ReadFixedText(channel.Unit), "old");
  EXPECT_EQ(FieldValue(channel.Colour), 0x0000FF);

  EXPECT_EQ(Apply(ChannelTexts("", "2", "3", "4"), channel),
            "'' is not a valid floating point value");
  EXPECT_EQ(Apply(ChannelTexts("0", "5", "80", "123456.789"), channel), "");
  EXPECT_EQ(FieldValue(channel.HHA), 123456.789f) << "the nearest float32";
  EXPECT_EQ(ReadFixedText(channel.Unit), "bar");
  EXPECT_EQ(FieldValue(channel.Colour), 0xFF0000);
}

TEST(MeterEditsTest, ADamagedDecimalsValueIsNeverReplacedBy255) {
  TChannelRecord channel{};
  channel.Decimals = 9;
  TChannelEditTexts texts = ChannelTexts("0", "0", "0", "0");
  texts.Decimals = -1;
  EXPECT_EQ(Apply(texts, channel), "");
  EXPECT_EQ(channel.Decimals, 9);
}

TEST(MeterEditsTest, ChannelCountsStayWithinOneTo48) {
  TMeterRecord meter;
  meter.Clear();
  meter.ChannelCount = kMaxChannels;
  EXPECT_STREQ(ChannelAddRefusal(meter), "每台设备最多48通道!");
  meter.ChannelCount = 1;
  EXPECT_EQ(ChannelAddRefusal(meter), nullptr);
  const char* const kLast = "通道不可删除, 每台设备至少要有一个通道!";
  EXPECT_STREQ(ChannelDeleteRefusal(meter, 0), kLast);
  meter.ChannelCount = 3;
  EXPECT_STREQ(ChannelDeleteRefusal(meter, -1), kLast) << "the empty row";
  EXPECT_STREQ(ChannelDeleteRefusal(meter, 3), kLast);
  EXPECT_EQ(ChannelDeleteRefusal(meter, 0), nullptr);

  // Deleting channel 1 of 3 moves channels 2 and 3 up; the values stay where they are.
  for (int c = 0; c < 3; ++c) {
    WriteFixedText(meter.Channels[c].Name, "CH" + std::to_string(c + 1));
    meter.Values[c] = static_cast<float>(c + 1);
  }
  DeleteChannel(meter, 0);
  EXPECT_EQ(meter.ChannelCount, 2);
  EXPECT_EQ(ReadFixedText(meter.Channels[0].Name), "CH2");
  EXPECT_EQ(ReadFixedText(meter.Channels[1].Name), "CH3");
  EXPECT_EQ(meter.Value(0), 1.0f);
  EXPECT_EQ(meter.Value(1), 2.0f);
}

TEST(MeterEditsTest, AddTellsABadNumberBeforeTheMeterCountsAndAddsItAllTheSame) {
  auto table = std::make_unique<MeterTable>();
  table->MeterCount = 2;
  table->Meters[2].Clear();
  TMeterEditTexts texts = GoodMeterTexts();
  texts.RecordInterval = "x";
  std::vector<std::string> told;
  const auto report = [&](const char* message) {
    told.push_back(message);
    // Told with the fields in front of it taken, before the slot becomes a meter.
    EXPECT_EQ(table->MeterCount, 2);
    EXPECT_EQ(table->Meters[2].SlaveAddress, 7);
    EXPECT_EQ(table->Meters[2].ChannelCount, 0);
  };
  EXPECT_TRUE(AddMeter(*table, texts, report));
  EXPECT_EQ(told, std::vector<std::string>{"请正确输入记录间隔!"});
  EXPECT_EQ(table->MeterCount, 3);
  EXPECT_EQ(table->Meters[2].ChannelCount, 1);
  EXPECT_EQ(ReadFixedText(table->Meters[2].Channels[0].Name), "CH1");
  EXPECT_EQ(FieldValue(table->Meters[2].RecordInterval), 0);

  told.clear();
  table->MeterCount = kMaxMeters;
  EXPECT_FALSE(AddMeter(*table, GoodMeterTexts(), [&](const char* m) { told.push_back(m); }));
  EXPECT_EQ(told, std::vector<std::string>{"最多只能添加120台设备!"});
  EXPECT_EQ(table->MeterCount, kMaxMeters);
}

TEST(MeterEditsTest, ModifySetsTheBaudOfThePortTheMeterHasAfterTheRead) {
  auto table = std::make_unique<MeterTable>();
  table->MeterCount = 1;
  TMeterRecord& meter = table->Meters[0];
  meter.Clear();
  meter.ComIndex = 5;
  TMeterEditTexts texts = GoodMeterTexts();  // COM3 at baud index 4
  std::vector<std::string> told;
  const auto report = [&](const char* message) { told.push_back(message); };
  ModifyMeter(*table, 0, texts, report);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(meter.ComIndex, 2);
  EXPECT_EQ(table->PortBaudIndex[2], 4);
  EXPECT_EQ(table->PortBaudIndex[5], 0);

  // A read that stops before the port sets the baud of the port the meter had.
  texts.Address = "9";
  texts.TcpPort = "p";
  texts.ComIndex = 7;
  texts.BaudIndex = 6;
  ModifyMeter(*table, 0, texts, report);
  EXPECT_EQ(told, std::vector<std::string>{"请正确输入通讯端口"});
  EXPECT_EQ(meter.SlaveAddress, 9);
  EXPECT_EQ(meter.ComIndex, 2);
  EXPECT_EQ(table->PortBaudIndex[2], 6);
  EXPECT_EQ(table->PortBaudIndex[7], 0);

  // What the editor shows of a port: nothing for a COM index beyond COM40.
  EXPECT_EQ(PortBaudOf(table->PortBaudIndex, 2), 6);
  EXPECT_EQ(PortBaudOf(table->PortBaudIndex, kComPortCount), -1);
}

TEST(MeterEditsTest, AChannelIsAddedOnlyWhenEveryFieldWasTaken) {
  TMeterRecord meter;
  meter.Clear();
  meter.ChannelCount = 2;
  TChannelAdd add = AddChannel(meter, ChannelTexts("1", "2", "x", "4"));
  EXPECT_EQ(add.Refusal, nullptr);
  EXPECT_FALSE(add.Added());
  EXPECT_EQ(add.Edits.Error, "'x' is not a valid floating point value");
  EXPECT_FALSE(add.Edits.OutOfRange);
  EXPECT_EQ(meter.ChannelCount, 2);
  EXPECT_EQ(ReadFixedText(meter.Channels[2].Name), "new") << "taken in front of the bad limit";

  add = AddChannel(meter, ChannelTexts("1", "2", "1e39", "4"));
  EXPECT_TRUE(add.Edits.OutOfRange);
  EXPECT_EQ(meter.ChannelCount, 2);

  add = AddChannel(meter, ChannelTexts("1", "2", "3", "4"));
  EXPECT_TRUE(add.Added());
  EXPECT_EQ(meter.ChannelCount, 3);
  EXPECT_EQ(FieldValue(meter.Channels[2].HHA), 4.0f);
  EXPECT_EQ(ReadFixedText(meter.Channels[2].Unit), "bar");

  meter.ChannelCount = kMaxChannels;
  add = AddChannel(meter, ChannelTexts("1", "2", "3", "4"));
  EXPECT_STREQ(add.Refusal, "每台设备最多48通道!");
  EXPECT_FALSE(add.Added());
  EXPECT_EQ(meter.ChannelCount, kMaxChannels);

  // Modify takes the fields into the channel as far as they convert.
  const TChannelEdits edits = TakeChannelEdits(meter.Channels[0], ChannelTexts("5", "", "7", "8"));
  EXPECT_EQ(edits.Error, "'' is not a valid floating point value");
  EXPECT_EQ(FieldValue(meter.Channels[0].LLA), 5.0f);
  EXPECT_EQ(FieldValue(meter.Channels[0].HA), 0.0f);
}

}  // namespace
