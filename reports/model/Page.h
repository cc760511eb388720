#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <vector>

#include "reports/model/Report.h"

namespace zlt::reports {

// One drawing operation of a generated page; boxes are millimetres from the paper's
// top-left corner.
struct DrawOp {
    enum class Kind {
        Fill,           // a white box hiding what lies under it
        Rectangle,      // a thin black outline filled white
        Text,           // one line of text from the box's top-left corner
        Picture,        // a picture at natural size from the box's top-left corner, clipped to it
        ScaledPicture,  // a picture scaled to fill the whole box
        Bar,            // a box filled black: a line as thick as the box
    };
    Kind kind = Kind::Fill;
    QRectF box;
    QString text;
    FontSpec font;
    QImage picture;

    bool operator==(const DrawOp&) const = default;
};

struct Page {
    double width = 210;   // mm
    double height = 297;  // mm
    std::vector<DrawOp> ops;

    bool operator==(const Page&) const = default;
};

}  // namespace zlt::reports
