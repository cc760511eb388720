#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <vector>

#include "reports/model/Page.h"

namespace zlt::reports {

// A saved report file that cannot be used: not one, another version, cut short or
// damaged. Loading never changes anything when it throws this.
class SavedReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file format: a text line naming it ("ZLT saved report"), a version number, then the
// pages with their drawing operations in little-endian binary; a picture shown on several
// pages is stored once. Files of the first version load as well. Every count and length is
// checked against the bytes that remain, so a hostile file cannot make loading allocate
// more than its own size allows.
// Pictures up to the JPEG loader's 10,000 pixels a side are saved and loaded alike; saving
// a larger one throws SavedReportError before anything is written.
inline constexpr int kLargestSavedPictureSide = 10000;
QByteArray saveReport(const std::vector<Page>& pages);
std::vector<Page> loadReport(const QByteArray& bytes);

// The same on files; a missing file gives "File does not exist".
void saveReportFile(const std::vector<Page>& pages, const QString& file);
std::vector<Page> loadReportFile(const QString& file);

}  // namespace zlt::reports
