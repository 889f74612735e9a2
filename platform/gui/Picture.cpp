#include "platform/gui/Picture.h"

#include <QByteArray>

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers

#include <jpeglib.h>

#include "platform/Errors.h"
#include "platform/File.h"

namespace {

// The most memory a decoded picture may take: the default limit of Qt's own image readers,
// applied to JPEG as well, so a damaged header that claims a huge size is refused alike for
// every kind instead of allocating gigabytes.
constexpr std::int64_t kMaxPictureBytes = 256LL * 1024 * 1024;
constexpr int kMaxBytesPerPixel = 4;  // counted as 32-bit pixels, as a picture is shown

[[noreturn]] void RaiseCannotOpen(const std::string& path) {
  throw EFOpenError("Cannot open file " + path);
}

// Through the file layer, which opens nothing but a regular file and never waits in open(): a
// folder or a named pipe under the picture's name is a file that cannot be opened.
QByteArray ReadPictureBytes(const std::string& path) {
  std::string bytes;
  if (!::ReadWholeFile(path, bytes).ok()) RaiseCannotOpen(path);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The extension as the file name spells it, without its dot; empty when there is none.
std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// ---- JPEG through libjpeg ----

// libjpeg reports a fatal error by calling error_exit, which must not return; the default one
// ends the process. Ours formats the message and jumps back to the decoder's set-up point.
struct JpegErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg hands back a pointer to it
  std::jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
};

// Everything the decoder touches lives here, in the caller's frame, so that nothing in the frame
// that calls setjmp changes between setjmp and a longjmp back to it.
struct JpegDecoder {
  JpegErrorManager errors;
  jpeg_decompress_struct info;
};

[[noreturn]] void LeaveOnJpegError(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->escape, 1);
}

// Warnings (such as a truncated file, whose missing rows libjpeg fills in) are not fatal and
// would otherwise be printed on stderr.
void IgnoreJpegMessage(j_common_ptr /*info*/) {}

bool TooLarge(JDIMENSION width, JDIMENSION height) {
  return static_cast<std::int64_t>(width) * height * kMaxBytesPerPixel > kMaxPictureBytes;
}

// Decodes into `image`; false with the message in decoder.errors.message on a libjpeg error.
bool DecodeJpeg(const QByteArray& data, QImage& image, JpegDecoder& decoder) {
  jpeg_decompress_struct& info = decoder.info;
  info.err = jpeg_std_error(&decoder.errors.base);
  decoder.errors.base.error_exit = LeaveOnJpegError;
  decoder.errors.base.output_message = IgnoreJpegMessage;
  if (setjmp(decoder.errors.escape) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  if (TooLarge(info.image_width, info.image_height)) {
    std::snprintf(decoder.errors.message, JMSG_LENGTH_MAX, "Picture too large (%ux%u)",
                  info.image_width, info.image_height);
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

QImage LoadJpeg(const QByteArray& data, const std::string& path) {
  QImage image;
  JpegDecoder decoder{};
  if (!DecodeJpeg(data, image, decoder)) {
    throw EInvalidGraphic(std::string(decoder.errors.message) + ": " + path);
  }
  return image;
}

QImage LoadWithQt(const QByteArray& data, const char* format, const char* invalidText) {
  QImage image;
  if (!image.loadFromData(data, format)) throw EInvalidGraphic(invalidText);
  return image;
}

}  // namespace

QImage LoadPictureFile(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  const std::string kind = LowerAscii(extension);
  if (kind == "jpg" || kind == "jpeg") return LoadJpeg(ReadPictureBytes(path), path);
  if (kind == "bmp") return LoadWithQt(ReadPictureBytes(path), "BMP", "Bitmap image is not valid");
  if (kind == "ico") return LoadWithQt(ReadPictureBytes(path), "ICO", "Icon image is not valid");
  throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
}

QImage LoadBitmapFile(const std::string& path) {
  return LoadWithQt(ReadPictureBytes(path), "BMP", "Bitmap image is not valid");
}
