#pragma once
// The rules of the meter and channel editors, without their controls: the edit texts in, the
// converted fields and the first error out, and the table changes of Add and Delete.
//
// A conversion takes the fields in the editor's order and stops at the first number that does
// not convert: the fields in front of it are in Fields, in order, and the error says what went
// wrong; the failed field and all after it are missing. The editors' operations (AddMeter,
// ModifyMeter, AddChannel, TakeChannelEdits) apply Fields one by one (Apply*Field) and then
// report the error, so the fields taken before a bad number keep their new values, as operators
// know it. No range check is made on any number: each is stored in the width of its field (an
// address of 300 is stored as 44).
//
// No Qt. Pure functions; the table changes run on the GUI thread in configuration mode only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/MeterRecord.h"

// ---- Meters ----

// What the meter edit fields hold. A combo box with no item selected gives -1.
struct TMeterEditTexts {
  std::string Address;
  std::string RecordInterval;
  std::string StartRegister;
  std::string TcpPort;
  int CommCode = -1;
  int CommMode = -1;
  int ComIndex = -1;
  int BaudIndex = -1;  // the rate of the port in ComIndex
  std::string IpAddress;  // UTF-8
  std::string Name;       // UTF-8
};

enum class TMeterField {
  SlaveAddress, RecordInterval, StartRegister, TcpPort, CommCode, CommMode, ComIndex, PortBaud,
  IpAddress, Name
};

// One converted field. PortBaud: Number is the baud index, Port the COM index it belongs to.
struct TMeterFieldValue {
  TMeterField Field = TMeterField::SlaveAddress;
  std::int32_t Number = 0;
  std::int32_t Port = 0;
  std::string Text;
};

struct TMeterEdits {
  std::vector<TMeterFieldValue> Fields;  // in the order they are taken
  const char* Error = nullptr;           // UTF-8 message for the first bad number, or nullptr
};

// The numbers convert as the runtime's StrToInt does. A combo box without a selection offers
// nothing to take (the record keeps its value), except the comm mode, whose missing selection
// is a valid one: Ethernet (255). The baud index is taken for the port selected in the edits,
// when both are selected and the port is COM1..COM40.
TMeterEdits ConvertMeterEdits(const TMeterEditTexts& texts);
void ApplyMeterField(const TMeterFieldValue& value, TMeterRecord& meter,
                     PortBaudIndexTable& bauds);

// "最多只能添加120台设备!" when the table is full, else nullptr.
const char* MeterAddRefusal(const MeterTable& table);
// What Add gives a meter besides its edit fields: one channel "CH1" with all four limits 0.
// Every other field of the slot keeps what it held.
void StartNewMeter(TMeterRecord& meter);
// Moves the whole records behind meter m one place down, run-time part included (each meter
// keeps its last values), and counts one meter less. m must be a configured meter.
void DeleteMeter(MeterTable& table, int m);
// Sets the baud index of port comIndex; nothing when either is outside its table (no
// selection, or a COM index from a damaged file).
void TakePortBaud(PortBaudIndexTable& bauds, int comIndex, int baudIndex);
// The baud index of port comIndex as the editor shows it; -1 (no rate) for a COM index beyond
// COM40 (a damaged Config.dat), which has no entry.
int PortBaudOf(const PortBaudIndexTable& bauds, int comIndex);

// An input error (UTF-8) as the editor tells it: a message box captioned "错误", shown at the
// moment the operation meets the error.
using InputErrorReport = std::function<void(const char* message)>;

// The meter editor's Add. A full table is refused ("最多只能添加120台设备!" reported, nothing
// changes, false). Otherwise the edit fields go into the first free slot in field order; a bad
// number is reported as soon as the fields in front of it are taken, and the add goes on all the
// same: the slot gets its one channel (StartNewMeter) and is counted. True when a meter was added.
bool AddMeter(MeterTable& table, const TMeterEditTexts& texts, const InputErrorReport& report);
// The meter editor's Modify of meter m (a configured meter): the edit fields in field order, a bad
// number reported as for Add; then, whatever was reported, the baud index of the edits for the
// port the meter has after the read (its previous port when the read stopped before the port).
void ModifyMeter(MeterTable& table, int m, const TMeterEditTexts& texts,
                 const InputErrorReport& report);

// ---- Channels ----

// What the channel edit fields hold. Decimals -1: no item selected.
struct TChannelEditTexts {
  std::string Name;  // UTF-8
  int Decimals = -1;
  std::string LLA;
  std::string LA;
  std::string HA;
  std::string HHA;
  std::string Unit;  // UTF-8
  std::int32_t Colour = 0;
};

enum class TChannelField { Name, Decimals, LLA, LA, HA, HHA, Unit, Colour };

struct TChannelFieldValue {
  TChannelField Field = TChannelField::Name;
  std::int32_t Number = 0;  // decimals, colour
  float Limit = 0.0f;       // LLA, LA, HA, HHA: the nearest float32
  std::string Text;         // name, unit
};

struct TChannelEdits {
  std::vector<TChannelFieldValue> Fields;  // in the order they are taken
  // The conversion error of the first limit not taken ("'%s' is not a valid floating point
  // value"); empty when all converted. The window raises it as EConvertError for a text that is
  // not a number, and shows it as an input error (caption "错误") when OutOfRange.
  std::string Error;
  // The limit is a number beyond float32's finite range: it would be stored as an infinity
  // (an alarm that never ends), so it is refused like a bad number, in the same place.
  bool OutOfRange = false;
};

// Limits convert as the runtime's StrToFloat does and must fit a float32. Decimals without a
// selection (a damaged value shown) are not taken: the field keeps its value.
TChannelEdits ConvertChannelEdits(const TChannelEditTexts& texts);
void ApplyChannelField(const TChannelFieldValue& value, TChannelRecord& channel);
// The channel editor's Modify: the edit fields into `channel` in field order, as far as they
// convert; the result tells the limit that stopped them (its Error), if any.
TChannelEdits TakeChannelEdits(TChannelRecord& channel, const TChannelEditTexts& texts);

// What the channel editor's Add came to.
struct TChannelAdd {
  // "每台设备最多48通道!" when the meter has 48 channels: nothing was changed.
  const char* Refusal = nullptr;
  // The fields taken into the slot behind the last channel; a limit not taken (its Error) leaves
  // the channel uncounted.
  TChannelEdits Edits;
  bool Added() const { return Refusal == nullptr && Edits.Error.empty(); }
};
// Add: the edit fields into the slot behind the meter's last channel, in field order; the channel
// counts only when every field was taken.
TChannelAdd AddChannel(TMeterRecord& meter, const TChannelEditTexts& texts);

// "每台设备最多48通道!" when the meter has 48 channels, else nullptr.
const char* ChannelAddRefusal(const TMeterRecord& meter);
// "通道不可删除, 每台设备至少要有一个通道!" unless c is one of several channels; else nullptr.
const char* ChannelDeleteRefusal(const TMeterRecord& meter, int c);
// Moves the channel records behind c one place down and counts one channel less; the meter's
// values and alarm flags stay where they are.
void DeleteChannel(TMeterRecord& meter, int c);
