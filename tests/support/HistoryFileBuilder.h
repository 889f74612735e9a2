#pragma once
// History data files for the tests and benchmarks, made from the file's layout alone (the
// header, then records of n float32 values, then any bytes after the last whole record), not by
// the station's writer: what the viewer and the reader are given to read.
//
//   THistoryFileBuilder(3).Interval(60).Records(10).Names(...).Values(...).Write(path);
//
// A new builder holds a header of `channels` channels starting at TestHistoryStart() with an
// interval of 1 s, every name slot empty, no record and nothing after. Header() is the header
// as it will be written, for a test to damage or to give to the station's writer.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/DateTime.h"
#include "common/HistoryFile.h"

// 2024-03-05 14:00:00, the start of the tests' history files.
TDateTime TestHistoryStart();

class THistoryFileBuilder {
 public:
  // The meter name and the channel name of a name slot, code page 936 bytes as the station
  // stores them (SetHistoryNameSlot).
  struct SlotName {
    std::string Meter;
    std::string Channel;
  };
  using Namer = std::function<SlotName(int channel)>;
  // The value of channel i in record k. Called once for each value, record by record and
  // channel by channel in order, at each Write or Bytes.
  using Valuer = std::function<float(std::int64_t k, int i)>;

  explicit THistoryFileBuilder(int channels = 1);
  THistoryFileBuilder(THistoryFileBuilder&&) noexcept;
  THistoryFileBuilder& operator=(THistoryFileBuilder&&) noexcept;
  ~THistoryFileBuilder();

  THistoryFileBuilder& Start(TDateTime start);
  THistoryFileBuilder& Interval(std::int32_t seconds);
  // Name slots 0 .. min(channels, 5,760) - 1.
  THistoryFileBuilder& Names(const Namer& names);
  // `count` records of the values below (zeros without them).
  THistoryFileBuilder& Records(std::int64_t count);
  THistoryFileBuilder& Values(Valuer values);
  // Bytes after the last record: a partial record, noise.
  THistoryFileBuilder& Tail(std::string bytes);

  THistoryFileHeader& Header() { return *header_; }
  const THistoryFileHeader& Header() const { return *header_; }

  // The whole file.
  std::string Bytes() const;
  // Writes the file at `path` in place of any file of that name; throws std::runtime_error
  // naming the path when it cannot.
  void Write(const std::string& path) const;

 private:
  // Hands the file's bytes to `out`, a block at a time.
  void Emit(const std::function<void(const char* bytes, std::size_t size)>& out) const;

  int channels_;
  std::unique_ptr<THistoryFileHeader> header_;
  std::int64_t records_ = 0;
  Valuer values_;
  std::string tail_;
};
