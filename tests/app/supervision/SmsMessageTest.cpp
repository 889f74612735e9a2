#include "station/app/supervision/SmsMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/FixedText.h"
#include "platform/Cp936.h"

namespace {

// Two meters of two channels ("M0--c0" ... "M1--c1"), every channel online with value 7 and
// unit "V", tiles refreshed as a tick leaves them.
class SmsMessageTest : public ::testing::Test {
 protected:
  SmsMessageTest() {
    for (int m = 0; m < 2; ++m) {
      TMeterRecord& meter = table->Meters[m];
      WriteFixedText(meter.Name, "M" + std::to_string(m));
      meter.ChannelCount = 2;
      meter.Online = 1;
      for (int c = 0; c < 2; ++c) {
        WriteFixedText(meter.Channels[c].Name, "c" + std::to_string(c));
        WriteFixedText(meter.Channels[c].Unit, "V");
        meter.Values[c] = 7.0f;
      }
    }
    table->MeterCount = 2;
    Refresh();
  }
  void Refresh() {
    tiles.Build(*table);
    for (int m = 0, t = 0; m < table->MeterCount; ++m) {
      for (int c = 0; c < table->Meters[m].ChannelCount; ++c, ++t) tiles.Update(*table, m, c, t, 0);
    }
  }
  std::string Compose(TSmsCursor& cursor, std::string_view text = "X") {
    return ComposeSmsMessage(SmsHead{"13800138000", text, false}, *table, tiles, cursor);
  }

  std::unique_ptr<MeterTable> table = std::make_unique<MeterTable>();
  OverviewTiles tiles;
};

const std::string kHead = "8613800138000:X\n";

TEST_F(SmsMessageTest, AStaleCursorIsBroughtBackInsideTheTable) {
  table->Meters[1].HAFlags[1] = 1;
  struct Case {
    TSmsCursor cursor;
    std::string expected;
    bool complete;
  };
  const Case cases[] = {
      // Past the last meter (the table shrank): nothing left to list.
      {{7, 30, 999, 2}, kHead + "\r\n", true},
      // Right meter and channel, tile index from another table: taken from them again.
      {{1, 1, 57, 0}, kHead + "M1--c1\t7V\n\r\n", true},
      // A channel index past the meter's channels moves on to the next meter.
      {{0, 40, 3, 0}, kHead + "M1--c1\t7V\n\r\n", true},
  };
  for (const Case& c : cases) {
    TSmsCursor cursor = c.cursor;
    EXPECT_EQ(Compose(cursor), c.expected);
    EXPECT_EQ(SmsListingComplete(cursor, *table), c.complete);
    EXPECT_EQ(cursor.SentInSweep, c.cursor.SentInSweep);
  }
}

TEST_F(SmsMessageTest, ALongAlarmTextIsCutOnACharacterBoundaryUntilOneEntryFits) {
  WriteFixedText(table->Meters[0].Channels[1].Unit, std::string(19, 'u'));
  Refresh();
  table->Meters[0].LAFlags[1] = 1;
  table->Meters[1].HAFlags[0] = 1;
  std::string text;  // 58 characters of 2 bytes: a head of 131 bytes
  for (int i = 0; i < 58; ++i) text += "温";
  const std::string cp936 = Utf8ToCp936(text);
  const std::string entry = "M0--c1\t7" + std::string(19, 'u') + "\n";  // 28 bytes
  TSmsCursor cursor;
  // 140 - 15 - 28 leaves 97 bytes of text: a 97th would split the 49th character.
  EXPECT_EQ(Compose(cursor, cp936), "8613800138000:" + cp936.substr(0, 96) + "\n" +
                                        entry + "\r\n");
  // The next message makes room for its own first entry (10 bytes) only.
  EXPECT_EQ(Compose(cursor, cp936),
            "8613800138000:" + cp936.substr(0, 114) + "\nM1--c0\t7V\n\r\n");
  EXPECT_TRUE(SmsListingComplete(cursor, *table));

  // The power-off line is part of the head.
  const std::string ascii(130, 'x');
  cursor = TSmsCursor{1, 0, 2, 0};
  EXPECT_EQ(ComposeSmsMessage(SmsHead{"13800138000", ascii, true}, *table, tiles, cursor),
            "8613800138000:" + ascii.substr(0, 104) + "\n" + Utf8ToCp936("系统断电!!") +
                "\nM1--c0\t7V\n\r\n");
  // With nothing left to list the head alone keeps to the limit.
  table->Meters[1].HAFlags[0] = 0;
  cursor = TSmsCursor{1, 0, 2, 0};
  EXPECT_EQ(Compose(cursor, ascii), "8613800138000:" + ascii.substr(0, 125) + "\n\r\n");
}

TEST_F(SmsMessageTest, TheLongestEntryGoesWholeBehindAShortenedText) {
  std::string name;  // 19 characters of 2 bytes
  for (int i = 0; i < 19; ++i) name += "温";
  WriteFixedText(table->Meters[0].Channels[1].Name, name);
  WriteFixedText(table->Meters[0].Channels[1].Unit, std::string(19, 'u'));
  WriteFixedText(table->Meters[0].Name, std::string(38, 'm'));
  Refresh();
  for (int c = 0; c < 2; ++c) table->Meters[0].HAFlags[c] = 1;
  table->Meters[1].HAFlags[1] = 1;
  const std::string text(40, 'x');  // head of 55 bytes; channel 1's entry alone is 100
  const std::string head = "8613800138000:" + text + "\n";
  TSmsCursor cursor;
  // The long entry does not fit behind the first one: the message ends before it.
  EXPECT_EQ(Compose(cursor, text), head + std::string(38, 'm') + "--c0\t7V\n\r\n");
  EXPECT_EQ(cursor.ChannelIndex, 1);
  // Alone behind the head it does not fit either: the text gives way, the entry stays whole.
  const std::string entry = std::string(38, 'm') + "--" + Utf8ToCp936(name) + "\t7" +
                            std::string(19, 'u') + "\n";
  ASSERT_EQ(entry.size(), 100u);
  EXPECT_EQ(Compose(cursor, text), "8613800138000:" + text.substr(0, 25) + "\n" + entry + "\r\n");
  EXPECT_EQ(Compose(cursor, text), head + "M1--c1\t7V\n\r\n");
  EXPECT_TRUE(SmsListingComplete(cursor, *table));
}

TEST_F(SmsMessageTest, AChannelWithoutATileIsNotListed) {
  table->Meters[1].HAFlags[0] = 1;
  table->Meters[1].HAFlags[1] = 1;
  table->Meters[1].ChannelCount = 3;  // edited after the tiles were built
  table->Meters[1].HAFlags[2] = 1;
  TSmsCursor cursor;
  EXPECT_EQ(Compose(cursor), kHead + "M1--c0\t7V\n" + "M1--c1\t7V\n" + "\r\n");
  EXPECT_TRUE(SmsListingComplete(cursor, *table));
}

}  // namespace
