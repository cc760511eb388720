#include "pictures/Jpeg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/BigJpeg.h"
#include "tests/support/Thrown.h"
#include "tools/StampArt.h"

namespace zlt::pictures {
namespace {

namespace fs = std::filesystem;
using ::testing::Optional;
using ::testing::StartsWith;

// JPEG bytes in a colour space the stamp encoder does not write; every sample is `value`.
QByteArray encodeFlat(J_COLOR_SPACE space, int components, int width, int height, int value) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &data, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * components,
                                   static_cast<unsigned char>(value));
    JSAMPROW rowPointer = row.data();
    while (info.next_scanline < info.image_height) {
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::free(data);
    return bytes;
}

// Red on the left half, blue on the right.
QByteArray redAndBlue(int width, int height) {
    tools::RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            image.pixels.insert(image.pixels.end(), {static_cast<unsigned char>(left ? 220 : 0), 0,
                                                     static_cast<unsigned char>(left ? 0 : 200)});
        }
    }
    const std::vector<unsigned char> bytes = tools::encodeJpeg(image, 95);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The main window's summer stamp: enough picture data that its first half ends inside it.
QByteArray stampBytes() {
    const std::vector<unsigned char> bytes = tools::makeStampJpeg(tools::Season::Summer, true);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The first half of the stamp, cut after the picture data has begun.
QByteArray halfAStamp() {
    const QByteArray whole = stampBytes();
    const QByteArray half = whole.left(whole.size() / 2);
    EXPECT_TRUE(half.contains("\xFF\xDA")) << "the cut falls before the picture data";
    return half;
}

void writeFile(const fs::path& file, const QByteArray& bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.constData(), bytes.size());
}

std::string decodeError(const QByteArray& bytes) {
    return test::thrownMessage<std::runtime_error>(
               [&] { decodeJpeg(bytes, QStringLiteral("vadný.jpg")); })
        .value_or("no error");
}

bool near(int actual, int expected) {
    return std::abs(actual - expected) <= 8;
}

TEST(Jpeg, DecodesToRgbPixels) {
    const QImage image = decodeJpeg(redAndBlue(40, 20), QStringLiteral("barvy.jpg"));
    ASSERT_EQ(image.size(), QSize(40, 20));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    const QColor left = image.pixelColor(5, 10);
    const QColor right = image.pixelColor(34, 10);
    EXPECT_TRUE(near(left.red(), 220) && near(left.green(), 0) && near(left.blue(), 0))
        << left.name().toStdString();
    EXPECT_TRUE(near(right.red(), 0) && near(right.green(), 0) && near(right.blue(), 200))
        << right.name().toStdString();
}

TEST(Jpeg, GreyPicturesComeOutAsRgbAndCmykIsRefused) {
    const QImage grey =
        decodeJpeg(encodeFlat(JCS_GRAYSCALE, 1, 16, 8, 100), QStringLiteral("šedá.jpg"));
    ASSERT_EQ(grey.size(), QSize(16, 8));
    EXPECT_EQ(grey.format(), QImage::Format_RGB888);
    EXPECT_EQ(grey.pixelColor(7, 3), QColor(100, 100, 100));

    EXPECT_EQ(decodeError(encodeFlat(JCS_CMYK, 4, 16, 8, 50)),
              "Cannot read the picture vadný.jpg: CMYK pictures are not supported");
}

TEST(Jpeg, RefusesPicturesWiderOrTallerThanTenThousand) {
    EXPECT_EQ(
        decodeJpeg(encodeFlat(JCS_GRAYSCALE, 1, 10000, 2, 0), QStringLiteral("a.jpg")).width(),
        10000);
    EXPECT_EQ(decodeError(encodeFlat(JCS_GRAYSCALE, 1, 10001, 2, 0)),
              "Cannot read the picture vadný.jpg: the picture is too large");
    EXPECT_EQ(decodeError(encodeFlat(JCS_GRAYSCALE, 1, 2, 10001, 0)),
              "Cannot read the picture vadný.jpg: the picture is too large");
}

TEST(Jpeg, DamagedBytesNeverGiveAPicture) {
    // libjpeg only warns about a cut-off picture and would pad the rest with grey.
    EXPECT_THAT(decodeError(halfAStamp()),
                StartsWith(std::string("Cannot read the picture vadný.jpg: ")));
    EXPECT_THAT(decodeError({}), StartsWith(std::string("Cannot read the picture vadný.jpg: ")));

    std::mt19937 random(7);
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.append(static_cast<char>(random()));
    }
    EXPECT_THAT(decodeError(garbage), StartsWith(std::string("Cannot read the picture ")));
    garbage[0] = static_cast<char>(0xFF);
    garbage[1] = static_cast<char>(0xD8);
    EXPECT_THAT(decodeError(garbage), StartsWith(std::string("Cannot read the picture ")));
}

// A stamp prints at natural size from its box's corner, so only that corner is kept; it is
// the same pixels the whole picture has there, at any cut across the 8 x 8 blocks.
TEST(Jpeg, KeepsOnlyTheCornerAskedForWithThePixelsOfTheWhole) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const fs::path file = fs::path(folder.path().toStdString()) / "pruhy.jpg";
    test::writeBigJpeg(file, 1001, 603, 85);
    const QImage whole = loadJpegFile(file);
    ASSERT_EQ(whole.size(), QSize(1001, 603));
    for (const QSize kept : {QSize(234, 129), QSize(8, 8), QSize(1, 1), QSize(1000, 602)}) {
        SCOPED_TRACE(std::to_string(kept.width()) + " x " + std::to_string(kept.height()));
        const QImage corner = loadJpegFile(file, kept);
        ASSERT_EQ(corner.size(), kept);
        EXPECT_EQ(corner, whole.copy(QRect(QPoint(0, 0), kept)));
    }
    EXPECT_EQ(loadJpegFile(file, QSize(5000, 5000)), whole) << "no larger than the picture";
    EXPECT_EQ(loadJpegFile(file, QSize(0, 10)), whole.copy(0, 0, 1001, 10)) << "rows only";

    // Damage below the kept corner still refuses the picture.
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const QByteArray cut(bytes.data(), static_cast<qsizetype>(bytes.size() * 3 / 5));
    EXPECT_THROW(decodeJpeg(cut, QStringLiteral("a.jpg"), QSize(234, 129)), std::runtime_error);
    EXPECT_THAT(
        [] { decodeJpeg(halfAStamp(), QStringLiteral("a.jpg"), QSize(10, 10)); },
        ::testing::ThrowsMessage<std::runtime_error>(StartsWith("Cannot read the picture a.jpg")));
}

// Whole, a 10000 x 10000 picture takes 300 MB; its kept corner takes what it shows.
TEST(JpegFile, AHugePictureCostsOnlyTheCornerKept) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const fs::path file = fs::path(folder.path().toStdString()) / "obri.jpg";
    test::writeBigJpeg(file, 10000, 10000);
    const std::size_t before = test::peakMemory();
    const QImage corner = loadJpegFile(file, QSize(234, 129));
    const std::size_t growth = test::peakMemory() - before;
    EXPECT_EQ(corner.size(), QSize(234, 129));
    EXPECT_LT(growth, std::size_t{32} << 20) << "peak memory grew by " << (growth >> 20) << " MB";
    std::printf("The corner of a 10000 x 10000 picture: peak memory grew by %zu MB\n",
                growth >> 20);
}

TEST(JpegFile, LoadsANameWithCzechLettersAndSpaces) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const fs::path file = fs::path(folder.path().toStdString()) / u8"razítko - létoB.jpg";
    writeFile(file, stampBytes());

    EXPECT_EQ(loadJpegFile(file).size(), QSize(184, 100));
}

TEST(JpegFile, NamesTheFileItCannotOpenOrRead) {
    EXPECT_EQ(test::thrownMessage<std::runtime_error>(
                  [] { loadJpegFile(fs::path(u8"chybí - létoA.jpg")); }),
              "Cannot open file chybí - létoA.jpg");

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const fs::path directory(folder.path().toStdString());
    EXPECT_EQ(test::thrownMessage<std::runtime_error>([&] { loadJpegFile(directory); }),
              "Cannot open file " + directory.string());

    const fs::path truncated = directory / "půlka.jpg";
    writeFile(truncated, halfAStamp());
    EXPECT_THAT(test::thrownMessage<std::runtime_error>([&] { loadJpegFile(truncated); }),
                Optional(StartsWith("Cannot read the picture " + truncated.string() + ": ")));

    const fs::path empty = directory / "prázdný.jpg";
    writeFile(empty, {});
    EXPECT_THROW(loadJpegFile(empty), std::runtime_error);
}

}  // namespace
}  // namespace zlt::pictures
