#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace zlt::web {

// A page as it is sent: its bytes and their media type.
struct ServedPage {
    QByteArray bytes;
    QByteArray type;
    bool operator==(const ServedPage&) const = default;
    bool isHtml() const { return type.startsWith("text/html"); }
};

using PageMap = std::map<QByteArray, ServedPage>;

// What the program hands the results server process when its pages change: the pages
// that are new or differ from what the server last got, those it no longer serves, and
// the state the health check and the streams tell. A version only grows, across restarts
// of either side, so that a browser's "last seen" still means something to a new server.
struct PageUpdate {
    qint64 version = 0;
    QDateTime lastChange;
    QString problem;
    PageMap pages;
    std::vector<QByteArray> removed;
    bool operator==(const PageUpdate&) const = default;
};

// The update from what the server has to what it should have.
PageUpdate difference(const PageMap& served, const PageMap& wanted);

// An update as bytes on the pipe: its length, then the update.
QByteArray frame(const PageUpdate& update);

// Cuts the bytes read from the pipe into updates, however they were split on the way.
class FrameReader {
public:
    // Beyond this an update is taken for garbage on the pipe, not for pages.
    static constexpr quint32 kLargest = 256u << 20;

    void append(const QByteArray& bytes) { buffer_ += bytes; }
    // The next whole update; none while it is still arriving. Throws std::runtime_error
    // for bytes that are no update, after which the reader is of no further use.
    std::optional<PageUpdate> next();

private:
    QByteArray buffer_;
};

}  // namespace zlt::web
