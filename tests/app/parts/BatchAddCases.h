#pragma once
// Batch add entries and the refusal each meets ("" when accepted), checked on the rules alone and
// through the dialog. No Qt here.

inline constexpr const char* kBatchAddNumberRefusal = "请正确输入数值!";
inline constexpr const char* kBatchAddTotalRefusal =
    "添加后设备个数大于120台, 请减少要添加的设备数!";
inline constexpr const char* kBatchAddChannelsRefusal =
    "设备通道数不得大于48个, 请减少要添加的通道数!";

struct BatchAddCase {
  const char* meters;
  const char* channels;
  const char* address;
  const char* port;
  const char* hha;
  int existing;  // meters already in the table
  const char* message;
};

// In the order the refusals are checked.
inline constexpr BatchAddCase kBatchAddCases[] = {
    {"20", "1", "1", "1000", "10000", 100, ""},
    {"21", "1", "1", "1000", "10000", 100, kBatchAddTotalRefusal},
    {"2147483647", "1", "1", "1000", "10000", 100, kBatchAddTotalRefusal},
    {"1", "48", "1", "1000", "10000", 0, ""},
    {"1", "49", "1", "1000", "10000", 0, kBatchAddChannelsRefusal},
    {"121", "49", "1", "1000", "10000", 0, kBatchAddTotalRefusal},
    {"1", "1", "1", "abc", "10000", 0, kBatchAddNumberRefusal},
    {"1", "1", "1.5", "1000", "10000", 0, kBatchAddNumberRefusal},
    {"1", "1", "1", "1000", "", 0, kBatchAddNumberRefusal},
    // Limits beyond float32's finite range are no number to take.
    {"1", "1", "1", "1000", "1e40", 0, kBatchAddNumberRefusal},
    {"1", "1", "1", "1000", "-3.5e38", 0, kBatchAddNumberRefusal},
    {"1", "1", "1", "1000", "3.4e38", 0, ""},
    {"1", "0", "1", "1000", "10000", 0, "设备通道数不得小于1个, 请增加要添加的通道数!"},
    {"0", "1", "1", "1000", "10000", 3, ""},
    {"-3", "1", "1", "1000", "10000", 3, ""},
};
