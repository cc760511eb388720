#include "tools/StampArt.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <fstream>
#include <iterator>

#include "tests/support/Files.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::tools {
namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

struct Errors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Decodes with libjpeg; a broken file fails the test instead of ending the process.
bool decode(const std::vector<unsigned char>& bytes, Decoded& out) {
    jpeg_decompress_struct info;
    Errors errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<Errors*>(c->err)->jump, 1);
    };
    errors.base.output_message = [](j_common_ptr) {};
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.pixels.resize(out.width * out.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.pixels[info.output_scanline * out.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

Decoded readPicture(const std::filesystem::path& file) {
    const std::string stored = test::fileBytes(file);
    const std::vector<unsigned char> bytes(stored.begin(), stored.end());
    Decoded picture;
    EXPECT_TRUE(decode(bytes, picture)) << file;
    return picture;
}

// Sums of red and blue over the picture's ink (pixels clearly darker than white).
std::pair<long, long> inkRedBlue(const Decoded& picture) {
    long red = 0, blue = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); i += 3) {
        const int r = picture.pixels[i], g = picture.pixels[i + 1], b = picture.pixels[i + 2];
        if (r + g + b < 600) {
            red += r - g;
            blue += b - g;
        }
    }
    return {red, blue};
}

TEST(StampArt, WritesFourDecodablePicturesOfTheirSizesAndSeasons) {
    test::TempFolder folder;
    writeStampFiles(folder.path());
    struct Expected {
        const char* name;
        int width, height;
        bool summer;
    };
    for (const Expected& e : {Expected{"razítko - létoB.jpg", 184, 100, true},
                              Expected{"razítko - zimaB.jpg", 184, 100, false},
                              Expected{"razítko - léto.jpg", 227, 128, true},
                              Expected{"razítko - zima.jpg", 227, 128, false}}) {
        const Decoded picture = readPicture(folder.path() / e.name);
        EXPECT_EQ(picture.width, e.width) << e.name;
        EXPECT_EQ(picture.height, e.height) << e.name;
        const auto [red, blue] = inkRedBlue(picture);
        EXPECT_GT(e.summer ? red : blue, 5 * std::max(1L, e.summer ? blue : red)) << e.name;
        for (int corner : {0, (picture.width * picture.height - 1) * 3}) {
            EXPECT_GT(picture.pixels[corner], 240) << e.name << " corner is white";
        }
    }
}

TEST(StampArt, ReportsWhatItCannotDo) {
    test::TempFolder folder;
    EXPECT_THROW(writeStampFiles(folder.path() / "missing"), std::runtime_error);
    EXPECT_THROW(encodeJpeg(RgbImage{10, 10, {}}), std::runtime_error);
    EXPECT_THROW(encodeJpeg(RgbImage{70000, 1, std::vector<unsigned char>(210000, 0)}),
                 std::runtime_error)
        << "libjpeg's own refusal comes back as an exception";
}

}  // namespace
}  // namespace zlt::tools
