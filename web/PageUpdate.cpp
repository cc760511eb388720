#include "web/PageUpdate.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>
#include <stdexcept>

namespace zlt::web {
namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;

}  // namespace

PageUpdate difference(const PageMap& served, const PageMap& wanted) {
    PageUpdate update;
    for (const auto& [path, page] : wanted) {
        const auto old = served.find(path);
        if (old == served.end() || !(old->second == page)) {
            update.pages.emplace(path, page);
        }
    }
    for (const auto& entry : served) {
        if (!wanted.contains(entry.first)) {
            update.removed.push_back(entry.first);
        }
    }
    return update;
}

QByteArray frame(const PageUpdate& update) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << update.version << update.lastChange << update.problem
        << static_cast<quint32>(update.pages.size());
    for (const auto& [path, page] : update.pages) {
        out << path << page.type << page.bytes;
    }
    out << static_cast<quint32>(update.removed.size());
    for (const QByteArray& path : update.removed) {
        out << path;
    }
    QByteArray framed(4, '\0');
    qToBigEndian(static_cast<quint32>(body.size()), framed.data());
    return framed + body;
}

std::optional<PageUpdate> FrameReader::next() {
    if (buffer_.size() < 4) {
        return std::nullopt;
    }
    const quint32 length = qFromBigEndian<quint32>(buffer_.constData());
    if (length > kLargest) {
        throw std::runtime_error("the pipe carries no page update");
    }
    if (static_cast<quint64>(buffer_.size()) < 4ull + length) {
        return std::nullopt;
    }
    const QByteArray body = buffer_.mid(4, length);
    buffer_.remove(0, 4 + length);
    QDataStream in(body);
    in.setVersion(kStreamVersion);
    PageUpdate update;
    quint32 count = 0;
    in >> update.version >> update.lastChange >> update.problem >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray path;
        ServedPage page;
        in >> path >> page.type >> page.bytes;
        update.pages.emplace(std::move(path), std::move(page));
    }
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray path;
        in >> path;
        update.removed.push_back(std::move(path));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        throw std::runtime_error("a page update on the pipe is damaged");
    }
    return update;
}

}  // namespace zlt::web
