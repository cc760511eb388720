#include "tools/StampArt.h"

// jpeglib.h uses FILE and size_t without declaring them.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "competition/EventFiles.h"
#include "text/TextFile.h"

namespace zlt::tools {
namespace {

// ---- JPEG encoding -------------------------------------------------------------------------

struct ErrorManager {
    jpeg_error_mgr base;  // first, so libjpeg's pointer to it also points to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// All that libjpeg works on for one picture. It belongs to the caller of compress(), so its
// values survive the longjmp, and it holds nothing with a destructor for the jump to skip.
struct Compression {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    unsigned char* data = nullptr;  // malloc'ed by libjpeg
    unsigned long size = 0;
    bool destinationSet = false;
};

// libjpeg must not end the process: a fatal error jumps back into compress(), and the
// exception is thrown only once no libjpeg frame is left on the stack.
void jumpBack(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void stayQuiet(j_common_ptr) {}

// Returns false after a libjpeg error, with its message in c.errors.message.
bool compress(Compression& c, const RgbImage& image, int quality) {
    c.info.err = jpeg_std_error(&c.errors.base);
    c.errors.base.error_exit = jumpBack;
    c.errors.base.output_message = stayQuiet;
    if (setjmp(c.errors.jump)) {
        return false;
    }
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.data, &c.size);
    c.destinationSet = true;
    c.info.image_width = static_cast<JDIMENSION>(image.width);
    c.info.image_height = static_cast<JDIMENSION>(image.height);
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    // Full-resolution colour: halving it would turn thin coloured lines on white pale.
    c.info.comp_info[0].h_samp_factor = 1;
    c.info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&c.info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + c.info.next_scanline * stride);
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

// ---- Drawing ---------------------------------------------------------------------------------

constexpr double kPi = std::numbers::pi;

struct Point {
    double x;
    double y;
};

// A fixed pseudo-random number in [0, 1) for a lattice point: the ink's unevenness must be
// the same on every run.
double latticeNoise(int x, int y, std::uint32_t seed) {
    std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 0x27d4eb2dU);
    h = (h ^ (h >> 15)) * 0x85ebca6bU;
    h ^= static_cast<std::uint32_t>(y) * 0x165667b1U;
    h = (h ^ (h >> 13)) * 0xc2b2ae35U;
    h ^= h >> 16;
    return h / 4294967296.0;
}

// Smooth value noise in [0, 1) with features about one unit apart.
double smoothNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const auto fade = [](double t) { return t * t * (3 - 2 * t); };
    const double tx = fade(x - fx);
    const double ty = fade(y - fy);
    const double top = std::lerp(latticeNoise(ix, iy, seed), latticeNoise(ix + 1, iy, seed), tx);
    const double bottom =
        std::lerp(latticeNoise(ix, iy + 1, seed), latticeNoise(ix + 1, iy + 1, seed), tx);
    return std::lerp(top, bottom, ty);
}

// Signed distance from an ellipse's outline, negative inside. First-order only, which is
// accurate near the outline, and rings are all it is used for.
double ellipseDistance(Point p, double a, double b) {
    const double r = std::hypot(p.x / a, p.y / b);
    const double slope = std::hypot(p.x / (a * a), p.y / (b * b));
    return slope > 1e-12 ? (r - 1) * r / slope : -std::min(a, b);
}

double segmentDistance(Point p, Point from, Point to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double t =
        std::clamp(((p.x - from.x) * dx + (p.y - from.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - from.x - t * dx, p.y - from.y - t * dy);
}

// Where a point lies relative to the nearest of `count` evenly spread spokes from the centre,
// the first pointing up (turned clockwise by `turn`): how far along it and how far off it.
struct SpokeFrame {
    double along;
    double across;
    int spoke;
};

SpokeFrame spokeFrame(Point p, int count, double turn = 0) {
    const double step = 2 * kPi / count;
    const double angle = std::atan2(p.x, -p.y) - turn;  // clockwise from straight up
    const double nearest = std::round(angle / step);
    const double offset = angle - nearest * step;
    const double radius = std::hypot(p.x, p.y);
    const int spoke = ((static_cast<int>(nearest) % count) + count) % count;
    return {radius * std::cos(offset), std::abs(radius * std::sin(offset)), spoke};
}

// Where ink goes, in pixels from the picture's centre. All sizes follow the outer ellipse's
// half height, so the two picture sizes look alike and emblems stay round in a wide oval.
class StampLayout {
public:
    StampLayout(Season season, int width, int height)
        : season_(season),
          b_(height / 2.0 - std::max(2.0, height * 0.03)),
          a_(width / 2.0 - (height / 2.0 - b_)),
          outerRing_(0.08 * b_),
          innerInset_(0.3 * b_),
          innerRing_(0.045 * b_),
          dotRadius_(0.05 * b_),
          emblem_(0.56 * b_),
          sideStarX_((emblem_ + a_ - innerInset_) / 2),
          sideStar_(0.2 * b_) {
        placeDots();
    }

    bool inked(Point p) const {
        const double outer = ellipseDistance(p, a_, b_);
        if (outer > 0) {
            return false;
        }
        if (outer > -outerRing_) {
            return true;
        }
        const double inner = ellipseDistance(p, a_ - innerInset_, b_ - innerInset_);
        if (inner > 0) {
            return inner < innerRing_ || onDot(p);
        }
        const Point side{std::abs(p.x) - sideStarX_, p.y};
        if (std::hypot(side.x, side.y) < sideStar_ && inStar(side, sideStar_)) {
            return true;
        }
        return season_ == Season::Summer ? inSun(p) : inSnowflake(p);
    }

private:
    // Dots evenly spaced along the oval midway between the rings, measured by arc length
    // so they do not crowd at the narrow ends.
    void placeDots() {
        const double inset = (outerRing_ + innerInset_ - innerRing_) / 2;
        const double a = a_ - inset;
        const double b = b_ - inset;
        constexpr int samples = 2000;
        std::vector<double> length(samples + 1, 0.0);
        for (int i = 1; i <= samples; ++i) {
            const double t0 = 2 * kPi * (i - 1) / samples;
            const double t1 = 2 * kPi * i / samples;
            length[i] = length[i - 1] + std::hypot(a * (std::cos(t1) - std::cos(t0)),
                                                   b * (std::sin(t1) - std::sin(t0)));
        }
        // An even count keeps the ring symmetric left to right and top to bottom.
        const int count =
            2 *
            std::max(4, static_cast<int>(std::lround(length[samples] / (4.6 * dotRadius_) / 2)));
        int i = 0;
        for (int k = 0; k < count; ++k) {
            const double wanted = length[samples] * k / count;
            while (length[i] < wanted) {
                ++i;
            }
            const double t = 2 * kPi * i / samples;
            dots_.push_back({a * std::cos(t), b * std::sin(t)});
        }
    }

    bool onDot(Point p) const {
        return std::any_of(dots_.begin(), dots_.end(), [&](Point dot) {
            return std::hypot(p.x - dot.x, p.y - dot.y) < dotRadius_;
        });
    }

    // A five-pointed star with one point up.
    static bool inStar(Point p, double radius) {
        const SpokeFrame f = spokeFrame(p, 5);
        // The edge runs from the point (radius, 0) to the notch between two points.
        const double notch = 0.42 * radius;
        const double notchAngle = kPi / 5;
        const Point tip{radius, 0};
        const Point inner{notch * std::cos(notchAngle), notch * std::sin(notchAngle)};
        const double cross =
            (inner.x - tip.x) * (f.across - tip.y) - (inner.y - tip.y) * (f.along - tip.x);
        return cross >= 0;
    }

    bool inSun(Point p) const {
        const double r = emblem_;
        if (std::hypot(p.x, p.y) < 0.4 * r) {
            return true;
        }
        // Sixteen tapering rays, long and short in turn.
        const SpokeFrame f = spokeFrame(p, 16);
        const double start = 0.5 * r;
        const double end = f.spoke % 2 == 0 ? r : 0.78 * r;
        const double base = f.spoke % 2 == 0 ? 0.1 * r : 0.085 * r;
        return f.along > start && f.along < end &&
               f.across < base * (end - f.along) / (end - start);
    }

    bool inSnowflake(Point p) const {
        const double r = emblem_;
        const SpokeFrame f = spokeFrame(p, 6);
        const Point q{f.along, f.across};  // in the nearest arm's frame, the arm along x
        const double half = 0.055 * r;
        if (segmentDistance(q, {0, 0}, {0.92 * r, 0}) < half ||
            std::hypot(q.x - 0.92 * r, q.y) < 1.6 * half) {
            return true;
        }
        // Two pairs of side branches pointing outwards, the outer pair shorter.
        for (auto [at, length] : {std::pair{0.38, 0.32}, std::pair{0.64, 0.22}}) {
            const Point from{at * r, 0};
            const Point to{(at + length * std::cos(kPi / 4)) * r, length * std::sin(kPi / 4) * r};
            if (segmentDistance(q, from, to) < 0.85 * half) {
                return true;
            }
        }
        // A hexagon at the heart.
        const SpokeFrame h = spokeFrame(p, 6, kPi / 6);
        return h.along < 0.2 * r;
    }

    Season season_;
    double b_;
    double a_;
    double outerRing_;
    double innerInset_;
    double innerRing_;
    double dotRadius_;
    double emblem_;
    double sideStarX_;
    double sideStar_;
    std::vector<Point> dots_;
};

}  // namespace

std::vector<unsigned char> encodeJpeg(const RgbImage& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
        throw std::runtime_error("Cannot encode a JPEG picture: its pixels do not match its size");
    }
    Compression c;
    const bool done = compress(c, image, quality);
    if (!done && c.destinationSet) {
        // The buffer may have grown since jpeg_mem_dest and c.data may still point to the
        // freed first one: the destination hands over the live buffer on termination.
        c.info.dest->term_destination(&c.info);
    }
    jpeg_destroy_compress(&c.info);
    const std::unique_ptr<unsigned char, void (*)(void*)> owned(c.data, std::free);
    if (!done) {
        throw std::runtime_error(std::string("Cannot encode a JPEG picture: ") + c.errors.message);
    }
    return {c.data, c.data + c.size};
}

RgbImage drawStamp(Season season, int width, int height) {
    if (width < 32 || height < 32) {
        throw std::invalid_argument("A stamp needs at least 32 x 32 pixels");
    }
    const std::array<double, 3> ink =
        season == Season::Summer ? std::array{190.0, 30.0, 45.0} : std::array{25.0, 70.0, 160.0};
    const std::uint32_t seed = season == Season::Summer ? 0x5eed1u : 0x5eed2u;
    const StampLayout layout(season, width, height);
    const double unit = height / 100.0;  // noise scales with the picture

    RgbImage image{width, height,
                   std::vector<unsigned char>(static_cast<std::size_t>(width) * height * 3, 255)};
    constexpr int grid = 4;  // 4 x 4 samples a pixel smooth the edges
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const double cx = px + 0.5 - width / 2.0;
            const double cy = py + 0.5 - height / 2.0;
            // Rubber edges are never quite straight: the shapes shift by a fraction of a
            // pixel, smoothly from place to place.
            const double shiftX =
                0.9 * unit * (smoothNoise(cx / 3 / unit, cy / 3 / unit, seed) - 0.5);
            const double shiftY =
                0.9 * unit * (smoothNoise(cx / 3 / unit, cy / 3 / unit, ~seed) - 0.5);
            int hits = 0;
            for (int sy = 0; sy < grid; ++sy) {
                for (int sx = 0; sx < grid; ++sx) {
                    hits += layout.inked({cx + shiftX + (sx + 0.5) / grid - 0.5,
                                          cy + shiftY + (sy + 0.5) / grid - 0.5});
                }
            }
            if (hits == 0) {
                continue;
            }
            // Uneven pressure leaves broad lighter patches and a fine grain.
            const double x = px / unit;
            const double y = py / unit;
            double density = 0.82 + 0.18 * smoothNoise(x / 14, y / 14, seed + 7);
            const double wear = smoothNoise(x / 5, y / 5, seed + 11);
            if (wear > 0.75) {
                density *= 1 - 1.6 * (wear - 0.75);
            }
            density *= 0.92 + 0.08 * latticeNoise(px, py, seed + 13);
            const double alpha = density * hits / (grid * grid);
            unsigned char* pixel = &image.pixels[(static_cast<std::size_t>(py) * width + px) * 3];
            for (int i = 0; i < 3; ++i) {
                pixel[i] = static_cast<unsigned char>(std::lround(255 - alpha * (255 - ink[i])));
            }
        }
    }
    return image;
}

std::vector<unsigned char> makeStampJpeg(Season season, bool mainWindowSize) {
    return mainWindowSize ? encodeJpeg(drawStamp(season, 184, 100))
                          : encodeJpeg(drawStamp(season, 227, 128));
}

void writeStampFiles(const std::filesystem::path& folder, bool keepExisting) {
    struct Stamp {
        bool summer;
        bool mainWindowSize;
    };
    static const Stamp stamps[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const Stamp& stamp : stamps) {
        const std::filesystem::path file =
            folder / (stamp.mainWindowSize ? competition::mainWindowPicture(stamp.summer)
                                           : competition::reportStamp(stamp.summer));
        if (keepExisting && std::filesystem::exists(file)) {
            continue;
        }
        const auto bytes =
            makeStampJpeg(stamp.summer ? Season::Summer : Season::Winter, stamp.mainWindowSize);
        try {
            // Beside the old picture and renamed over it: a power cut leaves the old one or
            // the new one, never a cut-off picture a later keepExisting run would keep.
            text::replaceFile(
                file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        } catch (const text::FileWriteError&) {
            const std::u8string name = file.u8string();
            throw std::runtime_error("Cannot write the stamp picture " +
                                     std::string(name.begin(), name.end()));
        }
    }
}

}  // namespace zlt::tools
