#pragma once
// TColor: the 32-bit colour values that records, Config.dat and the controls carry.
//   0x00BBGGRR           an RGB colour (red in the low byte);
//   0x80000000 | index   a system colour (clBtnFace and friends), resolved through the palette.
// Values are compared as numbers (the alarm window's blink tests for clBtnFace), so widgets keep
// the TColor they were given and convert only when painting.

#include <QColor>

#include <cstdint>

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSkyBlue = 0xF0CAA6;

// System colours (the index is the platform's colour index).
constexpr TColor kSystemColorFlag = static_cast<TColor>(0x80000000u);
constexpr TColor clHighlight = kSystemColorFlag | 13;
constexpr TColor clHighlightText = kSystemColorFlag | 14;
constexpr TColor clBtnFace = kSystemColorFlag | 15;
constexpr TColor clWindow = kSystemColorFlag | 5;
constexpr TColor clWindowText = kSystemColorFlag | 8;
constexpr TColor clBtnText = kSystemColorFlag | 18;

constexpr bool IsSystemColor(TColor color) { return (color & kSystemColorFlag) != 0; }

// An RGB TColor as a QColor; a system colour through the application's palette (fixed light
// defaults when no application exists). Unknown system indexes give black.
QColor ToQColor(TColor color);
// The RGB TColor of a QColor (alpha dropped).
TColor ToTColor(const QColor& color);
