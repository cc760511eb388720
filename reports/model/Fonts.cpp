#include "reports/model/Fonts.h"

#include <QImage>

namespace zlt::reports {

QFont printFont(const FontSpec& spec) {
    // Text is measured and drawn often; the substitution needs registering only once.
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)substituted;
    QFont font(spec.family);
    font.setPointSizeF(spec.points);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    // Positions are computed in millimetres; hinting would move glyphs per device.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

const QPaintDevice& measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        constexpr int kDotsPerMeter = static_cast<int>(1200 / 0.0254 + 0.5);
        image.setDotsPerMeterX(kDotsPerMeter);
        image.setDotsPerMeterY(kDotsPerMeter);
        return image;
    }();
    return device;
}

}  // namespace zlt::reports
