#include "tools/StampArt.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>

namespace zlt::tools {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg must not end the process: its fatal errors jump back to the caller, which turns
// them into an exception once no libjpeg frame is left on the stack.
void jumpOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void stayQuiet(j_common_ptr) {}

// Compresses into a buffer that libjpeg allocates; returns false on a libjpeg error.
// Kept free of C++ objects with destructors, since a longjmp crosses it.
bool compress(const RgbImage& image, int quality, unsigned char** data, unsigned long* size,
              char* message) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOnError;
    errors.base.output_message = stayQuiet;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, data, size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&image.pixels[info.next_scanline * image.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

struct Ink {
    double r, g, b;
};

// How much ink covers point (x, y) in a stamp of the given size, from 0 to 1; (x, y) is
// measured from the centre in units of the ellipse's half axes.
double coverage(Season season, double x, double y) {
    const double radius = std::hypot(x, y);
    const auto band = [&](double inner, double outer) {
        return radius >= inner && radius <= outer;
    };
    if (band(0.93, 1.0) || band(0.70, 0.75)) {
        return 1.0;
    }
    // A ring of dots between the two rings.
    const double angle = std::atan2(y, x);
    constexpr int dots = 24;
    const double step = 2 * std::numbers::pi / dots;
    const double nearest = std::round(angle / step) * step;
    if (std::hypot(x - 0.835 * std::cos(nearest), y - 0.835 * std::sin(nearest)) < 0.045) {
        return 1.0;
    }
    if (season == Season::Summer) {
        if (radius < 0.28) {
            return 1.0;
        }
        // Twelve rays, narrowing outwards.
        const double rayStep = 2 * std::numbers::pi / 12;
        const double offset = std::abs(angle - std::round(angle / rayStep) * rayStep);
        return radius > 0.34 && radius < 0.6 && offset < 0.16 * (0.6 - radius) / 0.26 + 0.02 ? 1.0
                                                                                             : 0.0;
    }
    // Six arms with two pairs of branches each.
    const double armStep = std::numbers::pi / 3;
    const double armAngle = angle - std::round(angle / armStep) * armStep;
    const double along = radius * std::cos(armAngle);
    const double across = std::abs(radius * std::sin(armAngle));
    if (along > 0 && along < 0.58 && across < 0.035) {
        return 1.0;
    }
    for (double base : {0.3, 0.44}) {
        const double t = along - base;
        if (t > 0 && t < 0.14 && std::abs(across - t * 0.9) < 0.03) {
            return 1.0;
        }
    }
    return radius < 0.08 ? 1.0 : 0.0;
}

}  // namespace

std::vector<unsigned char> encodeJpeg(const RgbImage& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
        throw std::runtime_error("The picture to be encoded has no valid size");
    }
    unsigned char* data = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool done = compress(image, quality, &data, &size, message);
    std::vector<unsigned char> bytes;
    if (done) {
        bytes.assign(data, data + size);
    }
    std::free(data);
    if (!done) {
        throw std::runtime_error(std::string("Cannot encode the JPEG picture: ") + message);
    }
    return bytes;
}

RgbImage drawStamp(Season season, int width, int height) {
    const Ink ink = season == Season::Summer ? Ink{190, 30, 45} : Ink{25, 70, 160};
    RgbImage image{width, height, std::vector<unsigned char>(width * height * 3, 255)};
    const double halfWidth = width / 2.0 - 3;
    const double halfHeight = height / 2.0 - 3;
    // Supersampling on a 4 x 4 grid per pixel keeps the edges smooth.
    constexpr int grid = 4;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            double sum = 0;
            for (int sy = 0; sy < grid; ++sy) {
                for (int sx = 0; sx < grid; ++sx) {
                    const double x = (px + (sx + 0.5) / grid - width / 2.0) / halfWidth;
                    const double y = (py + (sy + 0.5) / grid - height / 2.0) / halfHeight;
                    sum += coverage(season, x, y);
                }
            }
            // A faint, fixed unevenness of the ink, as a rubber stamp leaves it.
            const double wear = 0.85 + 0.15 * std::sin(px * 0.37 + py * 0.23) * std::cos(py * 0.11);
            const double alpha = sum / (grid * grid) * wear;
            unsigned char* pixel = &image.pixels[(py * width + px) * 3];
            pixel[0] = static_cast<unsigned char>(255 - alpha * (255 - ink.r));
            pixel[1] = static_cast<unsigned char>(255 - alpha * (255 - ink.g));
            pixel[2] = static_cast<unsigned char>(255 - alpha * (255 - ink.b));
        }
    }
    return image;
}

void writeStampFiles(const std::filesystem::path& folder, bool keepExisting) {
    struct Stamp {
        const char* name;
        Season season;
        int width;
        int height;
    };
    static const Stamp stamps[] = {
        {"razítko - létoB.jpg", Season::Summer, 184, 100},
        {"razítko - zimaB.jpg", Season::Winter, 184, 100},
        {"razítko - léto.jpg", Season::Summer, 227, 128},
        {"razítko - zima.jpg", Season::Winter, 227, 128},
    };
    for (const Stamp& stamp : stamps) {
        const std::filesystem::path file = folder / stamp.name;
        if (keepExisting && std::filesystem::exists(file)) {
            continue;
        }
        const auto bytes = encodeJpeg(drawStamp(stamp.season, stamp.width, stamp.height));
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            throw std::runtime_error("Cannot create file " + file.filename().string());
        }
    }
}

}  // namespace zlt::tools
