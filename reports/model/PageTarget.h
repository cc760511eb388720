#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QRect>
#include <QString>
#include <vector>

#include "reports/model/Page.h"

namespace zlt::reports {

// The one way pages are drawn, on the screen, a printer or into a PDF alike: millimetres
// are converted with the painter's device resolution, so all three look the same.
void paintPage(QPainter& painter, const Page& page);

// The page as a picture at the given resolution, white paper included.
QImage renderPage(const Page& page, double dotsPerInch);
// Only the part of it inside the rectangle (pixels of the whole picture), in a picture of
// the rectangle's size: what a view shows of a page too large to draw whole.
QImage renderPart(const Page& page, double dotsPerInch, const QRect& part);

// The paper a page is printed on, without margins; a page wider than long lies turned.
QPageLayout paperOf(const Page& page);

// The pages as a PDF document, each on paper of its own size (A4 for the sheets).
QByteArray pdfOf(const std::vector<Page>& pages);
// Writes them into a PDF file, beside it first and then in its place, so that a failure
// leaves an old file as it was; throws text::FileWriteError naming the file.
void exportPdf(const std::vector<Page>& pages, const QString& file);

}  // namespace zlt::reports
