#include "platform/gui/Fonts.h"

namespace {

const char* const kLatinFaces[] = {"Liberation Sans", "Arimo", "FreeSans"};
const char kCjkFace[] = "WenQuanYi Micro Hei";

}  // namespace

QStringList DesignFontFamilies() {
  QStringList families;
  for (const char* face : kLatinFaces) families << QString::fromLatin1(face);
  families << QString::fromLatin1(kCjkFace);
  return families;
}

QFont DesignFont(int pixelSize) {
  QFont font;
  font.setFamilies(DesignFontFamilies());
  font.setPixelSize(pixelSize);
  return font;
}
