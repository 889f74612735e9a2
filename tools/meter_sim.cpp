// meter_sim: simulated meters for demos and manual tests.
//
//   meter_sim [--appdir DIR] [--com N] [--tcp PORT] [--slaves A,B,...] [--registers N]
//
// Serves the given slave addresses (default 1) on a pty linked as DIR/dev/comN (when --com is
// given; DIR defaults to the current directory) and/or on 127.0.0.1:PORT (raw RTU frames, no
// MBAP header). Registers 0..N-1 (default 48) of both the input and the holding table follow a
// slow sine per channel, updated every second; every fourth channel swings wide enough to cross
// typical alarm limits. Runs until interrupted.

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/sim/ScriptedSlave.h"

namespace {

constexpr int kUpdateMs = 1000;
constexpr int kMaxRegisters = 125;
// Readings around 25.0 (with 1 decimal: register 250) swinging by +-5.0, or by +-40.0 on every
// fourth channel; periods from 60 s upwards so a trend shows whole waves.
constexpr double kBase = 250.0;
constexpr double kSmallSwing = 50.0;
constexpr double kWideSwing = 400.0;
constexpr double kPeriodSeconds = 60.0;

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Options {
  std::string appDir = ".";
  int com = 0;
  int tcpPort = -1;
  std::vector<std::uint8_t> slaves{1};
  int registers = 48;
};

std::vector<std::uint8_t> ParseSlaves(const std::string& text) {
  std::vector<std::uint8_t> slaves;
  std::stringstream list(text);
  for (std::string item; std::getline(list, item, ',');) {
    const int address = std::atoi(item.c_str());
    if (address < 1 || address > 247) throw std::invalid_argument("bad slave address " + item);
    slaves.push_back(static_cast<std::uint8_t>(address));
  }
  return slaves;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const std::string value = argv[i + 1];
    if (flag == "--appdir") o.appDir = value;
    else if (flag == "--com") o.com = std::atoi(value.c_str());
    else if (flag == "--tcp") o.tcpPort = std::atoi(value.c_str());
    else if (flag == "--slaves") o.slaves = ParseSlaves(value);
    else if (flag == "--registers") o.registers = std::atoi(value.c_str());
    else throw std::invalid_argument("unknown option " + flag);
  }
  if (argc % 2 == 0) throw std::invalid_argument("option without a value");
  if (o.com == 0 && o.tcpPort < 0) throw std::invalid_argument("give --com and/or --tcp");
  if (o.com < 0 || o.com > 40) throw std::invalid_argument("--com takes 1..40");
  if (o.registers < 1 || o.registers > kMaxRegisters) throw std::invalid_argument("--registers takes 1..125");
  if (o.slaves.empty()) throw std::invalid_argument("no slave address");
  return o;
}

std::uint16_t Reading(int slave, int channel, double seconds) {
  const double swing = channel % 4 == 3 ? kWideSwing : kSmallSwing;
  const double period = kPeriodSeconds * (1 + channel % 5);
  const double phase = 0.7 * channel + 1.3 * slave;
  const double value = kBase + swing * std::sin(2 * std::numbers::pi * seconds / period + phase);
  return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value)));
}

void Update(ScriptedSlave& sim, const Options& o, double seconds) {
  for (std::uint8_t slave : o.slaves) {
    std::vector<std::uint16_t> values(o.registers);
    for (int ch = 0; ch < o.registers; ++ch) values[ch] = Reading(slave, ch, seconds);
    sim.SetInputBlock(slave, 0, values);
    sim.SetHoldingBlock(slave, 0, values);
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options o = Parse(argc, argv);
    ScriptedSlave sim(o.slaves);
    Update(sim, o, 0);
    if (o.com > 0) {
      const std::string pty = sim.StartPty();
      std::printf("COM%d: %s -> %s\n", o.com, sim.LinkAsCom(o.appDir, o.com).c_str(), pty.c_str());
    }
    if (o.tcpPort >= 0) std::printf("TCP: 127.0.0.1:%d\n", sim.StartTcp(o.tcpPort));
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::size_t served = 0;
    for (int tick = 1; !g_stop; ++tick) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kUpdateMs));
      Update(sim, o, tick * kUpdateMs / 1000.0);
      served += sim.RequestCount();  // the log would otherwise grow for as long as it runs
      sim.ClearRequests();
    }
    std::printf("meter_sim: %zu requests received\n", served + sim.RequestCount());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "meter_sim: %s\n", e.what());
    return 2;
  }
}
