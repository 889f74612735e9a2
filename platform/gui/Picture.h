#pragma once
// Loading pictures for picture controls (TImage) from files.
//
// The kind of a picture file follows its extension, compared without regard to case:
//   .jpg, .jpeg   JPEG, decoded with libjpeg (baseline and progressive, grey or colour);
//   .bmp          Windows bitmap;
//   .ico          Windows icon (its first image).
// Errors raised (texts as the error box shows them):
//   EInvalidGraphic "Unknown picture file extension (.%s)"  any other extension, before the file
//                                                           is opened;
//   EFOpenError     "Cannot open file %s"                   a missing or unreadable file, or a
//                                                           path that is not a regular file;
//   EInvalidGraphic "Bitmap image is not valid", "Icon image is not valid", or libjpeg's own
//                   message followed by the path, for contents that do not decode.
// A JPEG decoding error never ends the program (libjpeg's default handler would call exit()).
//
// Reentrant; QImage needs no GUI thread, but the callers are GUI code.

#include <QImage>

#include <string>

// Reads the file and decodes it by its extension.
QImage LoadPictureFile(const std::string& path);
// Reads the file as a Windows bitmap, whatever its extension.
QImage LoadBitmapFile(const std::string& path);
