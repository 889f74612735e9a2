// Picture files by their extension: JPEG through libjpeg, bitmaps and icons.

#include "platform/gui/Picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/Errors.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TestSupport.h"

namespace {

class PictureTest : public GuiTest {
 protected:
  // Left half red, right half blue.
  std::string WriteTwoColours(const std::string& name, const char* format) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 20; ++y) {
      for (int x = 20; x < 40; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
    }
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), format, 100));
    return path;
  }

  std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static void ExpectNear(QRgb actual, QRgb expected) {
    EXPECT_NEAR(qRed(actual), qRed(expected), 8);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), 8);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), 8);
  }

  template <class Error>
  static std::string Raised(const std::function<void()>& call) {
    try {
      call();
    } catch (const Error& e) {
      return e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "other error: " << e.what();
      return {};
    }
    ADD_FAILURE() << "nothing raised";
    return {};
  }

  TempDir dir;
};

TEST_F(PictureTest, JpegDecodesWithItsColoursWhateverTheCaseOfItsExtension) {
  for (const char* name : {"plant.jpg", "PLANT.JPEG"}) {
    SCOPED_TRACE(name);
    const QImage image = LoadPictureFile(WriteTwoColours(name, "JPG"));
    ASSERT_EQ(image.size(), QSize(40, 20));
    ExpectNear(image.pixel(4, 10), qRgb(255, 0, 0));
    ExpectNear(image.pixel(36, 10), qRgb(0, 0, 255));
  }
  QImage grey(10, 6, QImage::Format_Grayscale8);
  grey.fill(qRgb(100, 100, 100));
  ASSERT_TRUE(grey.save(QString::fromStdString(dir.File("grey.jpg")), "JPG", 100));
  const QImage image = LoadPictureFile(dir.File("grey.jpg"));
  EXPECT_EQ(image.format(), QImage::Format_Grayscale8);
  ExpectNear(image.pixel(5, 3), qRgb(100, 100, 100));
}

TEST_F(PictureTest, BrokenJpegRaisesInsteadOfEndingTheProgram) {
  const std::string broken = WriteBytes("broken.jpg", "this is no JPEG");
  EXPECT_NE(Raised<EInvalidGraphic>([&] { LoadPictureFile(broken); }).find(broken),
            std::string::npos);
  // A frame header claiming 65,500 x 65,500 pixels is refused before anything is allocated.
  std::ifstream in(WriteTwoColours("small.jpg", "JPG"), std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  const std::size_t frame = bytes.find("\xFF\xC0", 0, 2);
  ASSERT_NE(frame, std::string::npos);
  bytes.replace(frame + 5, 4, "\xFF\xDC\xFF\xDC");
  const std::string huge = WriteBytes("huge.jpg", bytes);
  EXPECT_NE(Raised<EInvalidGraphic>([&] { LoadPictureFile(huge); }).find("too large"),
            std::string::npos);
  // The decoder works again afterwards.
  EXPECT_EQ(LoadPictureFile(WriteTwoColours("good.jpg", "JPG")).size(), QSize(40, 20));
}

TEST_F(PictureTest, BitmapsAndIconsGoThroughTheirOwnFormats) {
  EXPECT_EQ(LoadPictureFile(WriteTwoColours("logo.BMP", "BMP")).size(), QSize(40, 20));
  EXPECT_EQ(LoadPictureFile(WriteTwoColours("logo.ico", "ICO")).size(), QSize(40, 20));
  EXPECT_EQ(LoadBitmapFile(WriteTwoColours("logo.dat", "BMP")).size(), QSize(40, 20));
  const std::string jpeg = WriteTwoColours("photo.jpg", "JPG");
  const std::string disguised = dir.File("photo.bmp");
  std::filesystem::copy_file(jpeg, disguised);
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { LoadPictureFile(disguised); }),
            "Bitmap image is not valid");
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { LoadBitmapFile(jpeg); }), "Bitmap image is not valid");
  const std::string badIcon = WriteBytes("bad.ico", "no icon");
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { LoadPictureFile(badIcon); }), "Icon image is not valid");
}

TEST_F(PictureTest, UnknownExtensionIsRefusedBeforeTheFileIsOpened) {
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { LoadPictureFile(dir.File("missing.GIF")); }),
            "Unknown picture file extension (.GIF)");
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { LoadPictureFile(dir.File("no.dot/name")); }),
            "Unknown picture file extension (.)");
}

TEST_F(PictureTest, MissingOrUnreadableFilesCannotBeOpened) {
  const std::string missing = dir.File("missing.jpg");
  EXPECT_EQ(Raised<EFOpenError>([&] { LoadPictureFile(missing); }), "Cannot open file " + missing);
  EXPECT_EQ(Raised<EFOpenError>([&] { LoadBitmapFile(missing); }), "Cannot open file " + missing);
  const std::string folder = dir.File("folder.bmp");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(Raised<EFOpenError>([&] { LoadPictureFile(folder); }), "Cannot open file " + folder);
}

}  // namespace
