#pragma once
// The face of the window designs. The designs were drawn in a narrow sans-serif bitmap face,
// 11 pixels high; the captions were sized to its widths, so a wider face cuts or wraps them.
// Liberation Sans (Debian's fonts-liberation2) comes closest to those widths among the faces
// Debian ships, and it shares its widths with Arimo; FreeSans is near as well. Chinese texts
// take their glyphs from WenQuanYi Micro Hei. The faces are asked for by name, in this order,
// so what a window shows does not depend on which face the system prefers.

#include <QFont>
#include <QStringList>

// The height of the design font, in pixels.
inline constexpr int kDesignFontPixelSize = 11;

// The design face and its fallbacks, in order of preference; the last is the CJK face.
QStringList DesignFontFamilies();
// The design face at `pixelSize` pixels. Liberation Sans has Arial's widths, so this is also
// the face of the designs' Arial texts.
QFont DesignFont(int pixelSize = kDesignFontPixelSize);
