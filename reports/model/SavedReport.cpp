#include "reports/model/SavedReport.h"

#include <QFile>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/TextFile.h"

namespace zlt::reports {
namespace {

const QByteArray kMagic = "ZLT saved report\n";
// Version 2 added scaled pictures and pictures written once for all the pages showing
// them, version 3 black bars; the earlier versions are still read.
constexpr std::uint32_t kVersion = 3;
constexpr std::uint32_t kFirstVersion = 1;
// Far beyond any sheet, small enough that no check below can overflow.
constexpr double kLargestLength = 10000;  // mm

class Writer {
public:
    void u8(std::uint8_t v) { bytes_.append(static_cast<char>(v)); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void f64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void text(const QString& s) {
        const QByteArray utf8 = s.toUtf8();
        u32(static_cast<std::uint32_t>(utf8.size()));
        bytes_.append(utf8);
    }
    void raw(const char* data, qsizetype size) { bytes_.append(data, size); }
    QByteArray& bytes() { return bytes_; }

private:
    QByteArray bytes_;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return static_cast<std::size_t>(bytes_.size()) - at_; }
    const char* take(std::size_t size) {
        if (size > remaining())
            throw SavedReportError("The saved report is cut short");
        const char* data = bytes_.constData() + at_;
        at_ += size;
        return data;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(*take(1)); }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t{u8()} << (8 * i);
        return v;
    }
    double f64() {
        const std::uint64_t low = u32();
        const std::uint64_t bits = low | (std::uint64_t{u32()} << 32);
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    double length() {
        const double v = f64();
        if (!std::isfinite(v) || std::fabs(v) > kLargestLength)
            damaged("a length is out of range");
        return v;
    }
    QString text() {
        const std::uint32_t size = u32();
        const QByteArray utf8(take(size), static_cast<qsizetype>(size));
        QString text = QString::fromUtf8(utf8);
        if (text.toUtf8() != utf8)
            damaged("a text is not UTF-8");
        return text;
    }
    // A count of items that each take at least minimumSize bytes.
    std::uint32_t count(std::size_t minimumSize) {
        const std::uint32_t n = u32();
        if (n > remaining() / minimumSize)
            damaged("a count is larger than the file");
        return n;
    }
    [[noreturn]] static void damaged(const char* what) {
        throw SavedReportError(std::string("The saved report is damaged: ") + what);
    }

private:
    const QByteArray& bytes_;
    std::size_t at_ = 0;
};

void writeFont(Writer& out, const FontSpec& font) {
    out.text(font.family);
    out.f64(font.points);
    out.u8(static_cast<std::uint8_t>(font.bold | font.italic << 1 | font.underline << 2));
    out.u32(font.color.rgba());
}

FontSpec readFont(Reader& in) {
    FontSpec font;
    font.family = in.text();
    font.points = in.f64();
    if (!std::isfinite(font.points) || font.points <= 0 || font.points > 1000) {
        Reader::damaged("a font size is out of range");
    }
    const std::uint8_t flags = in.u8();
    if (flags > 7)
        Reader::damaged("unknown font flags");
    font.bold = flags & 1;
    font.italic = flags & 2;
    font.underline = flags & 4;
    font.color = QColor::fromRgba(in.u32());
    return font;
}

void writePicture(Writer& out, const QImage& picture) {
    if (picture.width() > kLargestSavedPictureSide || picture.height() > kLargestSavedPictureSide) {
        throw SavedReportError("A picture is larger than a saved report can hold (" +
                               std::to_string(kLargestSavedPictureSide) + " pixels a side)");
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    out.u32(static_cast<std::uint32_t>(rgb.width()));
    out.u32(static_cast<std::uint32_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        out.raw(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    }
}

QImage readPicture(Reader& in) {
    const std::uint32_t width = in.u32();
    const std::uint32_t height = in.u32();
    constexpr auto largest = static_cast<std::uint32_t>(kLargestSavedPictureSide);
    if (width == 0 || height == 0 || width > largest || height > largest) {
        Reader::damaged("a picture has an impossible size");
    }
    const std::size_t rowBytes = std::size_t{width} * 3;
    if (rowBytes * height > in.remaining())
        throw SavedReportError("The saved report is cut short");
    QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::memcpy(picture.scanLine(static_cast<int>(y)), in.take(rowBytes), rowBytes);
    }
    return picture;
}

bool showsPicture(DrawOp::Kind kind) {
    return kind == DrawOp::Kind::Picture || kind == DrawOp::Kind::ScaledPicture;
}

// A picture shown on many pages (a stamp, a background) is written once; later ones name
// the earlier by its number.
class PicturesWritten {
public:
    void write(Writer& out, const QImage& picture) {
        for (std::size_t i = 0; i < written_.size(); ++i) {
            if (written_[i].cacheKey() == picture.cacheKey()) {
                out.u8(1);
                out.u32(static_cast<std::uint32_t>(i));
                return;
            }
        }
        out.u8(0);
        writePicture(out, picture);
        written_.push_back(picture);
    }

private:
    std::vector<QImage> written_;
};

class PicturesRead {
public:
    QImage read(Reader& in) {
        const std::uint8_t how = in.u8();
        if (how == 0) {
            read_.push_back(readPicture(in));
            return read_.back();
        }
        const std::uint32_t earlier = in.u32();
        if (how != 1 || earlier >= read_.size())
            Reader::damaged("a picture names no earlier one");
        return read_[earlier];
    }

private:
    std::vector<QImage> read_;
};

}  // namespace

QByteArray saveReport(const std::vector<Page>& pages) {
    Writer out;
    out.raw(kMagic.constData(), kMagic.size());
    out.u32(kVersion);
    out.u32(static_cast<std::uint32_t>(pages.size()));
    PicturesWritten pictures;
    for (const Page& page : pages) {
        out.f64(page.width);
        out.f64(page.height);
        out.u32(static_cast<std::uint32_t>(page.ops.size()));
        for (const DrawOp& op : page.ops) {
            out.u8(static_cast<std::uint8_t>(op.kind));
            out.f64(op.box.x());
            out.f64(op.box.y());
            out.f64(op.box.width());
            out.f64(op.box.height());
            if (op.kind == DrawOp::Kind::Text) {
                out.text(op.text);
                writeFont(out, op.font);
            } else if (showsPicture(op.kind)) {
                pictures.write(out, op.picture);
            }
        }
    }
    return out.bytes();
}

std::vector<Page> loadReport(const QByteArray& bytes) {
    if (!bytes.startsWith(kMagic)) {
        throw SavedReportError("The file is not a saved report");
    }
    Reader in(bytes);
    in.take(static_cast<std::size_t>(kMagic.size()));
    const std::uint32_t version = in.u32();
    if (version < kFirstVersion || version > kVersion) {
        throw SavedReportError("The saved report has version " + std::to_string(version) +
                               ", this program reads versions " + std::to_string(kFirstVersion) +
                               " to " + std::to_string(kVersion));
    }
    const DrawOp::Kind lastKind = version == kFirstVersion ? DrawOp::Kind::Picture
                                  : version == 2           ? DrawOp::Kind::ScaledPicture
                                                           : DrawOp::Kind::Bar;
    PicturesRead pictures;
    constexpr std::size_t kSmallestPage = 2 * 8 + 4;
    constexpr std::size_t kSmallestOp = 1 + 4 * 8;
    std::vector<Page> pages(in.count(kSmallestPage));
    for (Page& page : pages) {
        page.width = in.length();
        page.height = in.length();
        page.ops.resize(in.count(kSmallestOp));
        for (DrawOp& op : page.ops) {
            const std::uint8_t kind = in.u8();
            if (kind > static_cast<std::uint8_t>(lastKind)) {
                Reader::damaged("unknown drawing operation");
            }
            op.kind = static_cast<DrawOp::Kind>(kind);
            const double x = in.length(), y = in.length(), w = in.length(), h = in.length();
            op.box = QRectF(x, y, w, h);
            if (op.kind == DrawOp::Kind::Text) {
                op.text = in.text();
                op.font = readFont(in);
            } else if (version == kFirstVersion && op.kind == DrawOp::Kind::Picture) {
                op.picture = readPicture(in);
            } else if (showsPicture(op.kind)) {
                op.picture = pictures.read(in);
            }
        }
    }
    if (in.remaining() != 0)
        Reader::damaged("bytes follow the last page");
    return pages;
}

void saveReportFile(const std::vector<Page>& pages, const QString& file) {
    // Through the program's own writer: its folder is synced after the rename, which
    // QSaveFile leaves to the system.
    const QByteArray bytes = saveReport(pages);
    try {
        text::replaceFile(
            file.toStdString(),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const text::FileWriteError&) {
        throw std::runtime_error("Cannot create file " + file.toStdString());
    }
}

std::vector<Page> loadReportFile(const QString& file) {
    QFile in(file);
    if (!in.exists()) {
        throw std::runtime_error("File does not exist");
    }
    if (!in.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot open file " + file.toStdString());
    }
    return loadReport(in.readAll());
}

}  // namespace zlt::reports
