// Polling control on the window: the status bar, the socket handlers and the window's end stop
// the threads (the lists and threads themselves: PollingControlTest).

#include <gtest/gtest.h>

#include <QTimer>

#include "common/AppPaths.h"
#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "platform/gui/StatusBar.h"
#include "station/comm/MeterComm.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

class PollingTest : public StationDirTest {
 protected:
  PollingTest() {
    SetAppDir(CurrentDir());
    form = std::make_unique<Tfm_MainForm>();
  }
  // Polling stops while the pauses are still short.
  ~PollingTest() override { form.reset(); }

  MeterTable& Table() { return form->Configuration().Table(); }

  void Start() {
    form->BuildPollLists();
    form->StartPolling();
  }

  QString EthernetPanel() const { return form->statusBar_MainForm->PanelText(kEthernetStatusPanel); }

  ScopedFastSleep fastSleep;
};

TEST_F(PollingTest, EthernetConnectionsShowInPanelFour) {
  ScriptedSlave meter({4});
  const int port = meter.StartTcp();
  int closedPort = 0;
  {
    ScriptedSlave gone({5});
    closedPort = gone.StartTcp();
  }  // nothing listens there any more
  AddEthernetMeter(Table(), 4, "127.0.0.1", port);
  Start();
  EXPECT_TRUE(WaitProcessing([&] { return EthernetPanel() == "127.0.0.1 Connect Success"; }));
  EXPECT_TRUE(WaitUntil([&] { return Table().Meters[0].IsOnline(); }));
  form->StopPolling();

  Table().Meters[0].TcpPort = closedPort;
  Start();
  EXPECT_TRUE(WaitProcessing([&] { return EthernetPanel() == "127.0.0.1 Connect Fail!"; }));
  // The other panels stay empty.
  for (int panel = 0; panel < kEthernetStatusPanel; ++panel) {
    EXPECT_EQ(form->statusBar_MainForm->PanelText(panel), "");
  }
}

TEST_F(PollingTest, SocketErrorsCloseTheConnectionInsteadOfEndingTheThread) {
  ScriptedSlave meter({4});
  meter.SetDefaultReply(SlaveReply::Silent());
  const int port = meter.StartTcp();
  AddEthernetMeter(Table(), 4, "127.0.0.1", port);
  Start();
  // Each poll runs into the receive time-out; the next one needs a new connection.
  EXPECT_TRUE(WaitUntil([&] { return meter.TcpAccepts() >= 2; }, 10000));
  EXPECT_FALSE(form->Polling().EthernetThread()->Finished());
}

TEST_F(PollingTest, ClosingTheWindowWaitsForEveryThread) {
  auto com1 = SlaveOnCom(CurrentDir(), 0, {1});
  auto com2 = SlaveOnCom(CurrentDir(), 1, {2});
  AddSerialMeter(Table(), 1, 0);
  AddSerialMeter(Table(), 2, 1);
  Start();
  form->timer_PerSecond->start();
  form->show();
  ASSERT_TRUE(com1->WaitForRequests(1, 5000));
  ASSERT_TRUE(com2->WaitForRequests(1, 5000));
  form->close();
  EXPECT_FALSE(form->PollingRunning());
  EXPECT_FALSE(form->timer_PerSecond->isActive());
  const std::size_t seen1 = com1->RequestCount();
  const std::size_t seen2 = com2->RequestCount();
  RealSleepMs(100);
  EXPECT_EQ(com1->RequestCount(), seen1);
  EXPECT_EQ(com2->RequestCount(), seen2);
}

TEST_F(PollingTest, DestroyingTheWindowStopsPollingFirst) {
  auto com1 = SlaveOnCom(CurrentDir(), 0, {1});
  ScriptedSlave tcp({2});
  AddSerialMeter(Table(), 1, 0);
  AddEthernetMeter(Table(), 2, "127.0.0.1", tcp.StartTcp());
  Start();
  ASSERT_TRUE(com1->WaitForRequests(1, 5000));
  ASSERT_TRUE(tcp.WaitForRequests(1, 5000));
  form.reset();
  const std::size_t seen = com1->RequestCount() + tcp.RequestCount();
  RealSleepMs(100);
  EXPECT_EQ(com1->RequestCount() + tcp.RequestCount(), seen);
}

}  // namespace
