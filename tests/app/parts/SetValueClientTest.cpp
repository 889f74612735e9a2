// The set-value panel's client without a window: the register's conversions and the wait for an
// answer through the mailbox, served by a thread of the test.

#include "station/app/parts/SetValueClient.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "platform/Clock.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(SetValueClientTest, TheRegisterConvertsByTheFirstChannelsDecimals) {
  EXPECT_EQ(TSetValueClient::ValueOf("12.5", 1), 125);
  EXPECT_EQ(TSetValueClient::ValueText(125, 1), "12.5");
  EXPECT_EQ(TSetValueClient::ValueOf("3.999", 0), 3);
  EXPECT_EQ(TSetValueClient::ValueOf("-2.5", 0), -2);  // truncation toward zero
  EXPECT_EQ(TSetValueClient::ValueOf("4000", 1), -25536);  // the low 16 bits: 0x9C40
  EXPECT_EQ(TSetValueClient::ValueText(-1, 2), "-0.01");
  // A damaged decimals value takes the last divisor, 1.
  EXPECT_EQ(TSetValueClient::ValueOf("7", 9), 7);
  EXPECT_THROW(TSetValueClient::ValueOf("abc", 1), EConvertError);
  EXPECT_THROW(TSetValueClient::ValueOf("1e30", 0), Exception);
}

// Answers the first request it finds with `answer`, then ends.
class Server : public TThread {
 public:
  Server(TSetValueRequest& mailbox, SetValueAnswer answer) : mailbox_(mailbox), answer_(answer) {}
  ~Server() override { WaitFor(); }

 protected:
  void Execute() override {
    while (!Terminated()) {
      if (auto order = mailbox_.Pending()) {
        mailbox_.TryAnswer(order->sequence, answer_);
        return;
      }
      RealSleepMs(1);
    }
  }

 private:
  TSetValueRequest& mailbox_;
  SetValueAnswer answer_;
};

TEST(SetValueClientTest, ARequestWaitsForItsServerAndFailsWithoutOne) {
  TSetValueRequest mailbox;
  TSetValueClient client(mailbox);
  client.Select({.port = 2, .slaveAddress = 5, .decimals = 1, .meterIndex = 0});
  EXPECT_FALSE(client.Run(kSetValueRead, 0, nullptr).has_value());
  EXPECT_FALSE(mailbox.Pending().has_value()) << "nothing is posted without a server";

  Server server(mailbox, {.done = true, .value = 125});
  server.Resume();
  const std::optional<SetValueAnswer> answer = client.Run(kSetValueRead, 0, &server);
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(answer->done);
  EXPECT_EQ(answer->value, 125);

  // A server that has ended answers nothing: the request is withdrawn at once.
  server.WaitFor();
  EXPECT_FALSE(client.Run(kSetValueWrite, 3, &server).has_value());
  EXPECT_FALSE(mailbox.Pending().has_value());
}

TEST(SetValueClientTest, TheTargetAndThePanelsTextsOfAMeterRow) {
  TMeterRecord meter;
  meter.Clear();
  meter.Channels[0].Decimals = 2;
  meter.Channels[1].Decimals = 4;
  const SetValueTarget target = TSetValueClient::TargetOf(3, meter, 6, "300");
  EXPECT_EQ(target.port, 6);
  EXPECT_EQ(target.slaveAddress, 44);  // the low 8 bits
  EXPECT_EQ(target.decimals, 2);       // the first channel's
  EXPECT_EQ(target.meterIndex, 3);
  EXPECT_THROW(TSetValueClient::TargetOf(3, meter, 6, "x"), EConvertError);

  EXPECT_STREQ(TSetValueClient::StatusText(kSetValueRead, true), "数据读取成功!");
  EXPECT_STREQ(TSetValueClient::StatusText(kSetValueRead, false), "数据读取失败!");
  EXPECT_STREQ(TSetValueClient::StatusText(kSetValueWrite, true), "数据写入成功!");
  EXPECT_STREQ(TSetValueClient::StatusText(kSetValueWrite, false), "数据写入失败!");
  EXPECT_EQ(TSetValueClient::LabelText("泵站A"), "泵站A--给定值");
}

}  // namespace
