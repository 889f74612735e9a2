#pragma once
// Meter and channel records: the stored part is the exact byte block kept in Config.dat; the
// run-time part holds what the polling threads last measured.
//
// Thread-safety: during run mode each polling thread writes the run-time part of the meters of
// its own poll list only, while the GUI thread reads every record once a second. Each value and
// flag is a relaxed atomic of its own, so a reader never sees a torn value, but it may see some
// channels of a meter from one poll and others from the next. The stored part and the poll lists
// change only while no polling thread runs (start-up, configuration mode); starting and joining
// the threads orders those writes against the threads' reads.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int kMaxMeters = 120;
constexpr int kMaxChannels = 48;
constexpr int kComPortCount = 40;
constexpr int kPollListCount = kComPortCount + 1;  // COM1..COM40, then the Ethernet list
constexpr int kEthernetList = kComPortCount;
constexpr int kMaxDecimals = 4;

#pragma pack(push, 1)

// One channel of a meter, 81 bytes as stored.
struct TChannelRecord {
  std::uint8_t Decimals;  // 0..4: the register is divided by 10 to this power
  std::int32_t Colour;    // TColor 0x00BBGGRR of the trend curve
  float LLA;              // low-low alarm limit
  float LA;               // low alarm limit
  float HA;               // high alarm limit
  float HHA;              // high-high alarm limit
  char Unit[20];          // code page 936, NUL-terminated, at most 19 bytes
  char Name[40];          // code page 936, NUL-terminated, at most 39 bytes
};

// The stored part of a meter, 3,963 bytes as stored in Config.dat.
struct TMeterStored {
  std::uint8_t SlaveAddress;
  std::uint8_t ChannelCount;    // channels in use, 1..48
  std::uint8_t ComIndex;        // 0..39 for COM1..COM40
  std::uint8_t CommCode;        // 0 = "3X" (input registers, fc 4), 1 = "4X" (holding registers, fc 3)
  std::uint8_t CommMode;        // 0 = serial, any other value = Ethernet
  std::uint16_t StartRegister;  // register of channel 0; channel i is StartRegister + i
  std::int32_t RecordInterval;  // seconds between text rows; meter 0's is also the history interval
  std::uint8_t Reserved[4];     // never interpreted, carried along with the block
  std::int32_t TcpPort;
  char IpAddress[16];           // dotted IPv4 text, NUL-terminated
  char Name[40];                // code page 936, NUL-terminated
  TChannelRecord Channels[kMaxChannels];
};

#pragma pack(pop)

static_assert(sizeof(TChannelRecord) == 81);
static_assert(offsetof(TChannelRecord, Colour) == 1);
static_assert(offsetof(TChannelRecord, LLA) == 5);
static_assert(offsetof(TChannelRecord, LA) == 9);
static_assert(offsetof(TChannelRecord, HA) == 13);
static_assert(offsetof(TChannelRecord, HHA) == 17);
static_assert(offsetof(TChannelRecord, Unit) == 21);
static_assert(offsetof(TChannelRecord, Name) == 41);

static_assert(sizeof(TMeterStored) == 3963);
static_assert(offsetof(TMeterStored, ChannelCount) == 1);
static_assert(offsetof(TMeterStored, ComIndex) == 2);
static_assert(offsetof(TMeterStored, CommCode) == 3);
static_assert(offsetof(TMeterStored, CommMode) == 4);
static_assert(offsetof(TMeterStored, StartRegister) == 5);
static_assert(offsetof(TMeterStored, RecordInterval) == 7);
static_assert(offsetof(TMeterStored, Reserved) == 11);
static_assert(offsetof(TMeterStored, TcpPort) == 15);
static_assert(offsetof(TMeterStored, IpAddress) == 19);
static_assert(offsetof(TMeterStored, Name) == 35);
static_assert(offsetof(TMeterStored, Channels) == 75);
static_assert(offsetof(TMeterStored, Channels) + 47 * sizeof(TChannelRecord) == 3882);

// The run-time part of a meter: never stored.
struct TMeterRuntime {
  std::atomic<float> Values[kMaxChannels];          // already scaled by the decimals
  std::atomic<std::uint8_t> LLAFlags[kMaxChannels];  // 1 when value <= LLA
  std::atomic<std::uint8_t> LAFlags[kMaxChannels];   // 1 when value <= LA
  std::atomic<std::uint8_t> HAFlags[kMaxChannels];   // 1 when value >= HA
  std::atomic<std::uint8_t> HHAFlags[kMaxChannels];  // 1 when value >= HHA
  std::atomic<std::int8_t> FailureCount;             // consecutive failed polls, 0..5
  std::atomic<std::uint8_t> Online;                  // 1 = answering, 0 = offline
};

// One meter: the stored block followed by the run-time fields.
struct TMeterRecord : TMeterStored, TMeterRuntime {
  TMeterRecord();
  TMeterRecord(const TMeterRecord& other);
  // Copies the whole record, run-time part included (a delete moves whole records).
  // Only while no polling thread runs.
  TMeterRecord& operator=(const TMeterRecord& other);

  TMeterStored& Stored() { return *this; }
  const TMeterStored& Stored() const { return *this; }

  // Relaxed accessors for the run-time fields.
  float Value(int ch) const { return Values[ch].load(std::memory_order_relaxed); }
  bool IsOnline() const { return Online.load(std::memory_order_relaxed) != 0; }
  bool AnyAlarmFlag(int ch) const;
  // Zero the run-time part (values, flags, failure counter, online flag).
  void ClearRuntime();
  // Zero the whole record, stored part included.
  void Clear();
};

// A channel count, comm code and decimals from a damaged Config.dat must never index past a
// table or a buffer; the poll refuses such a meter instead.
bool MeterPollable(const TMeterStored& meter);

// Channels of a meter that belong to the channel order (tiles, trends, history records, text
// rows): its channel count, never more than the 48 channels a record holds (a damaged Config.dat
// must not make anyone index past them).
int ChannelsInUse(const TMeterStored& meter);

// A polling list: the meters of one COM port, or the Ethernet meters, in table order.
struct TPollList {
  std::int32_t Count = 0;
  TMeterRecord* Meters[kMaxMeters] = {};
};

using PortBaudIndexTable = std::array<std::int32_t, kComPortCount>;

// The meter table and the baud index of each port, held by the station's configuration; the
// polling lists and port handles that point into it belong to its polling control.
struct MeterTable {
  std::array<TMeterRecord, kMaxMeters> Meters;
  std::int32_t MeterCount = 0;                  // 0..120: records 0..count-1 are configured
  PortBaudIndexTable PortBaudIndex{};           // 0..7 into BaudRateTable, per COM port
};

// Configured meters: the table's count, within 0..120.
int MetersInUse(const MeterTable& table);
