// The batch add's rules without its dialog: which entries are refused, and the meters an
// accepted entry appends behind the existing ones.

#include "station/app/parts/BatchAdd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/FixedText.h"
#include "tests/app/parts/BatchAddCases.h"
#include "tests/support/TestSupport.h"

namespace {

// The dialog's design values.
TBatchAddTexts DesignTexts() {
  TBatchAddTexts texts;
  texts.MeterCount = "1";
  texts.ChannelCount = "1";
  texts.StartAddress = "1";
  texts.RecordInterval = "1";
  texts.StartRegister = "0";
  texts.TcpPort = "1000";
  texts.LLA = "-50";
  texts.LA = "0";
  texts.HA = "500";
  texts.HHA = "10000";
  texts.MeterName = "Slave";
  texts.ChannelName = "CH";
  texts.IpAddress = "192.168.0.101";
  texts.Unit = "℃";
  return texts;
}

std::string RefusalOf(const TBatchAddTexts& texts, int existing) {
  const char* refusal = BatchAddRefusal(ConvertBatchAdd(texts), existing);
  return refusal == nullptr ? "" : refusal;
}

TEST(BatchAddRulesTest, RefusalsComeInTheirOrder) {
  for (const BatchAddCase& c : kBatchAddCases) {
    SCOPED_TRACE(std::string(c.meters) + "/" + c.channels + "/" + c.address + "/" + c.port);
    TBatchAddTexts texts = DesignTexts();
    texts.MeterCount = c.meters;
    texts.ChannelCount = c.channels;
    texts.StartAddress = c.address;
    texts.TcpPort = c.port;
    texts.HHA = c.hha;
    EXPECT_EQ(RefusalOf(texts, c.existing), c.message);
    EXPECT_EQ(ConvertBatchAdd(texts).has_value(),
              std::string(c.message) != kBatchAddNumberRefusal);
  }
}

TEST(BatchAddRulesTest, NewMetersTakeTheCommonSettingsBehindTheExistingOnes) {
  auto table = std::make_unique<MeterTable>();
  table->MeterCount = 3;
  table->PortBaudIndex[4] = 6;
  table->Meters[5].Channels[20].Colour = 0x123456;  // behind the new channel count: left alone
  TBatchAddTexts texts = DesignTexts();
  texts.MeterCount = "10";
  texts.StartAddress = "250";
  texts.ChannelCount = "20";
  texts.RecordInterval = "7";
  texts.StartRegister = "70000";
  texts.TcpPort = "6001";
  texts.CommCode = 1;
  texts.CommMode = 1;
  texts.ComIndex = 4;
  texts.Decimals = 2;
  const std::optional<TBatchAddInput> input = ConvertBatchAdd(texts);
  ASSERT_TRUE(input.has_value());
  AppendBatchMeters(*table, *input);

  const std::int32_t colours[16] = {0xFF0000, 0x0000FF, 0x00FF00, 0x008000, 0xFFFFFF, 0x00FFFF,
                                    0xFF00FF, 0xF0CAA6, 0x808000, 0x008080, 0x800080, 0xFFFF00,
                                    0xC0DCC0, 0x000080, 0x00A5FF, 0xC1B6FF};
  const int addresses[10] = {250, 251, 252, 253, 254, 255, 0, 1, 2, 3};
  ASSERT_EQ(table->MeterCount, 13);
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(k);
    const TMeterRecord& meter = table->Meters[3 + k];
    EXPECT_EQ(meter.SlaveAddress, addresses[k]);
    EXPECT_EQ(ReadFixedText(meter.Name), "Slave" + std::to_string(4 + k));
    EXPECT_EQ(FieldValue(meter.RecordInterval), 7);
    EXPECT_EQ(FieldValue(meter.StartRegister), 70000 & 0xFFFF);
    EXPECT_EQ(FieldValue(meter.TcpPort), 6001);
    EXPECT_EQ(meter.CommCode, 1);
    EXPECT_EQ(meter.CommMode, 1);
    EXPECT_EQ(meter.ComIndex, 4);
    EXPECT_EQ(ReadFixedText(meter.IpAddress), "192.168.0.101");
    ASSERT_EQ(meter.ChannelCount, 20);
    for (int j = 0; j < 20; ++j) {
      const TChannelRecord& channel = meter.Channels[j];
      EXPECT_EQ(ReadFixedText(channel.Name), "CH" + std::to_string(j + 1));
      EXPECT_EQ(FieldValue(channel.Colour), colours[j % 16]) << j;
      EXPECT_EQ(channel.Decimals, 2);
      EXPECT_EQ(ReadFixedText(channel.Unit), "℃");
      EXPECT_EQ(FieldValue(channel.LLA), -50.0f);
      EXPECT_EQ(FieldValue(channel.LA), 0.0f);
      EXPECT_EQ(FieldValue(channel.HA), 500.0f);
      EXPECT_EQ(FieldValue(channel.HHA), 10000.0f);
    }
  }
  EXPECT_EQ(FieldValue(table->Meters[5].Channels[20].Colour), 0x123456);
  EXPECT_EQ(table->PortBaudIndex[4], 6);
}

TEST(BatchAddRulesTest, TheTableBoundsTheMetersAndALongNameKeepsNoNumber) {
  auto table = std::make_unique<MeterTable>();
  table->MeterCount = 100;
  TBatchAddTexts texts = DesignTexts();
  texts.MeterCount = "20";
  texts.MeterName = std::string(39, 'n');
  AppendBatchMeters(*table, *ConvertBatchAdd(texts));
  ASSERT_EQ(table->MeterCount, 120);
  EXPECT_EQ(ReadFixedText(table->Meters[100].Name), std::string(39, 'n'));
  EXPECT_EQ(ReadFixedText(table->Meters[119].Name), std::string(39, 'n'));
  // A full table takes no more, whatever the input says.
  AppendBatchMeters(*table, *ConvertBatchAdd(texts));
  EXPECT_EQ(table->MeterCount, 120);

  table->MeterCount = 3;
  texts.MeterName = "Slave";
  texts.MeterCount = "0";
  AppendBatchMeters(*table, *ConvertBatchAdd(texts));
  EXPECT_EQ(table->MeterCount, 3);
}

}  // namespace
