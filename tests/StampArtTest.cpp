#include "tools/StampArt.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "tests/support/Thrown.h"

namespace zlt::tools {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Optional;

// A new empty folder under the system's temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() / ("zlt-stamps-" + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;  // RGB

    const unsigned char* at(int x, int y) const { return &pixels[(y * width + x) * 3]; }
};

// Owned by decode()'s caller so that it keeps its values across libjpeg's longjmp.
struct Decompression {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump;
};

bool decode(Decompression& d, const std::string& bytes, Picture& out) {
    d.info.err = jpeg_std_error(&d.errors);
    d.info.client_data = &d.jump;
    d.errors.error_exit = [](j_common_ptr info) {
        std::longjmp(*static_cast<std::jmp_buf*>(info->client_data), 1);
    };
    d.errors.output_message = [](j_common_ptr) {};
    if (setjmp(d.jump)) {
        return false;
    }
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    out.width = static_cast<int>(d.info.output_width);
    out.height = static_cast<int>(d.info.output_height);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = &out.pixels[d.info.output_scanline * out.width * 3];
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

Picture readPicture(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    Decompression d;
    Picture picture;
    EXPECT_TRUE(decode(d, bytes, picture)) << file << " is no readable JPEG";
    jpeg_destroy_decompress(&d.info);
    return picture;
}

TEST(StampArt, WritesFourPicturesOfTheirSizesInTheirSeasonsInk) {
    TempFolder folder;
    writeStampFiles(folder.path());
    struct Expected {
        const char8_t* name;
        int width;
        int height;
        bool summer;
    };
    for (const Expected& e : {Expected{u8"razítko - létoB.jpg", 184, 100, true},
                              Expected{u8"razítko - zimaB.jpg", 184, 100, false},
                              Expected{u8"razítko - léto.jpg", 227, 128, true},
                              Expected{u8"razítko - zima.jpg", 227, 128, false}}) {
        SCOPED_TRACE(reinterpret_cast<const char*>(e.name));
        const Picture picture = readPicture(folder.path() / e.name);
        ASSERT_EQ(picture.width, e.width);
        ASSERT_EQ(picture.height, e.height);
        // The emblem's heart is inked; summer's ink is red, winter's blue.
        long red = 0, blue = 0, inked = 0;
        for (int y = picture.height * 2 / 5; y < picture.height * 3 / 5; ++y) {
            for (int x = picture.width * 2 / 5; x < picture.width * 3 / 5; ++x) {
                const unsigned char* p = picture.at(x, y);
                if (p[0] + p[1] + p[2] < 600) {
                    ++inked;
                    red += p[0];
                    blue += p[2];
                }
            }
        }
        ASSERT_GT(inked, 50);
        EXPECT_GT((e.summer ? red - blue : blue - red) / inked, 60);
        const int w = picture.width - 1, h = picture.height - 1;
        for (auto [x, y] : {std::pair{0, 0}, std::pair{w, 0}, std::pair{0, h}, std::pair{w, h}}) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_GT(picture.at(x, y)[i], 240) << "corner " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(makeStampJpeg(Season::Winter, true), makeStampJpeg(Season::Winter, true))
        << "the art is the same on every run";
}

TEST(StampArt, KeepsPicturesAlreadyThereOnlyWhenAsked) {
    TempFolder folder;
    const fs::path own = folder.path() / u8"razítko - léto.jpg";
    std::ofstream(own) << "the organiser's own";
    writeStampFiles(folder.path(), /*keepExisting=*/true);
    EXPECT_EQ(fs::file_size(own), 19u);
    EXPECT_EQ(readPicture(folder.path() / u8"razítko - zima.jpg").width, 227);

    writeStampFiles(folder.path());
    EXPECT_EQ(readPicture(own).width, 227);
}

TEST(StampArt, ReportsWhatItCannotDo) {
    TempFolder folder;
    EXPECT_THAT(test::thrownMessage<std::runtime_error>(
                    [&] { writeStampFiles(folder.path() / "missing"); }),
                Optional(HasSubstr("razítko")))
        << "names the file";
    EXPECT_THAT(test::thrownMessage<std::runtime_error>([] {
                    encodeJpeg(RgbImage{10, 10, {}});
                }),
                Optional(Not(IsEmpty())));
    EXPECT_THROW(drawStamp(Season::Summer, 0, 100), std::invalid_argument);
    // libjpeg's own refusal comes back as an exception carrying its message.
    EXPECT_THAT(test::thrownMessage<std::runtime_error>([] {
                    encodeJpeg(RgbImage{70000, 1, std::vector<unsigned char>(210000, 0)});
                }),
                Optional(HasSubstr("65500")));
}

}  // namespace
}  // namespace zlt::tools
