#include "web/ResultsFeed.h"

#include <QNetworkInterface>
#include <algorithm>

#include "competition/Competition.h"

namespace zlt::web {

ResultsFeed::ResultsFeed(competition::Competition& competition) : pages_(competition) {
    gather_.setSingleShot(true);
    gather_.setInterval(kGather);
    connect(&gather_, &QTimer::timeout, this, &ResultsFeed::refresh);
    const auto changed = [this] {
        if (!gather_.isActive()) {
            gather_.start();
        }
    };
    connect(&competition.live(), &competition::LiveChanges::changed, this, changed);
    // The check follows the same commits, and also a change of the disciplines' choices.
    connect(&competition.check(), &competition::LiveCheck::changed, this, changed);
    connect(&competition.details(), &competition::EventDetails::loaded, this, changed);
    connect(&competition.details(), &competition::EventDetails::confirmed, this, changed);
    connect(&competition.finalsMode(), &competition::FinalsModeChoice::changed, this, changed);
    connect(&server_, &ServerProcess::restarted, this, &ResultsFeed::restarted);
}

void ResultsFeed::start(quint16 port, bool everywhere) {
    everywhere_ = everywhere;
    server_.start(port, everywhere);
    // The index shows the address the server got.
    pages_.setAddress(addresses().constFirst());
    pages_.refresh();
    publish();
    server_.waitUntilServed(version_);
}

QStringList ResultsFeed::addresses() const {
    QStringList addresses;
    const auto address = [this](const QString& host) {
        return QStringLiteral("http://%1:%2/").arg(host).arg(port());
    };
    if (everywhere_) {
        for (const QHostAddress& host : QNetworkInterface::allAddresses()) {
            if (host.protocol() == QAbstractSocket::IPv4Protocol && !host.isLoopback()) {
                addresses << address(host.toString());
            }
        }
    }
    addresses << address(QStringLiteral("127.0.0.1"));
    return addresses;
}

void ResultsFeed::refresh() {
    if (pages_.refresh()) {
        publish();
        emit pagesChanged();
    }
}

// Versions are the time they were made, in milliseconds, and only ever grow: a browser that
// saw one still knows where it stands after the program or its server started again.
void ResultsFeed::publish() {
    version_ = std::max(version_ + 1, QDateTime::currentMSecsSinceEpoch());
    server_.publish(version_, pages_.lastChange(), pages_.problem(), pages_.all());
}

}  // namespace zlt::web
