#pragma once

#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

#include "reports/model/Page.h"

namespace zlt::reports {

// The one way pages are drawn, on the screen, a printer or into a PDF alike: millimetres
// are converted with the painter's device resolution, so all three look the same.
void paintPage(QPainter& painter, const Page& page);

// The page as a picture at the given resolution, white paper included.
QImage renderPage(const Page& page, double dotsPerInch);

// Writes the pages into a PDF file, one A4 page each; throws std::runtime_error naming
// the file when it cannot be written.
void exportPdf(const std::vector<Page>& pages, const QString& file);

}  // namespace zlt::reports
