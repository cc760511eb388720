#include "reports/model/PageTarget.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <stdexcept>

#include "reports/model/Fonts.h"
#include "reports/model/Generator.h"
#include "text/TextFile.h"

namespace zlt::reports {
namespace {

QRectF toDevice(const QRectF& mm, double scale) {
    return {mm.x() * scale, mm.y() * scale, mm.width() * scale, mm.height() * scale};
}

}  // namespace

QPageLayout paperOf(const Page& page) {
    const QSizeF portrait(std::min(page.width, page.height), std::max(page.width, page.height));
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       page.width > page.height ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

void paintPage(QPainter& painter, const Page& page) {
    const double scale = painter.device()->logicalDpiX() / 25.4;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const DrawOp& op : page.ops) {
        const QRectF box = toDevice(op.box, scale);
        switch (op.kind) {
            case DrawOp::Kind::Fill:
                painter.fillRect(box, Qt::white);
                break;
            case DrawOp::Kind::Rectangle:
                painter.setPen(QPen(Qt::black, 0));  // one thin line on every device
                painter.setBrush(Qt::white);
                painter.drawRect(box);
                break;
            case DrawOp::Kind::Bar:
                painter.fillRect(box, Qt::black);
                break;
            case DrawOp::Kind::Text: {
                const QFont font = printFont(op.font);
                painter.setFont(font);
                painter.setPen(op.font.color);
                const QFontMetricsF metrics(font, painter.device());
                painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), op.text);
                break;
            }
            case DrawOp::Kind::ScaledPicture:
                painter.save();
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(box, op.picture);
                painter.restore();
                break;
            case DrawOp::Kind::Picture: {
                const double pixel = kMmPerPicturePixel * scale;
                painter.save();
                painter.setClipRect(box);
                painter.drawImage(QRectF(box.left(), box.top(), op.picture.width() * pixel,
                                         op.picture.height() * pixel),
                                  op.picture);
                painter.restore();
                break;
            }
        }
    }
    painter.restore();
}

QImage renderPage(const Page& page, double dotsPerInch) {
    const double scale = dotsPerInch / 25.4;
    return renderPart(page, dotsPerInch,
                      QRect(0, 0, qRound(page.width * scale), qRound(page.height * scale)));
}

QImage renderPart(const Page& page, double dotsPerInch, const QRect& part) {
    QImage image(part.size(), QImage::Format_RGB32);
    if (image.isNull()) {
        throw std::runtime_error("Not enough memory to draw the page");
    }
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-part.topLeft());
    paintPage(painter, page);
    return image;
}

QByteArray pdfOf(const std::vector<Page>& pages) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        if (!pages.empty())
            writer.setPageLayout(paperOf(pages.front()));
        writer.setCreator(QStringLiteral("ZLT"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            throw std::runtime_error("Cannot draw the pages as PDF");
        }
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                writer.setPageLayout(paperOf(pages[i]));
                writer.newPage();
            }
            paintPage(painter, pages[i]);
        }
        if (!painter.end()) {
            throw std::runtime_error("Cannot draw the pages as PDF");
        }
    }
    return bytes;
}

void exportPdf(const std::vector<Page>& pages, const QString& file) {
    const QByteArray bytes = pdfOf(pages);
    text::replaceFile(file.toStdString(),
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace zlt::reports
