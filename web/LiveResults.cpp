#include "web/LiveResults.h"

#include <QStringList>
#include <QTime>
#include <exception>

#include "reports/sheets/Export.h"
#include "text/TextFile.h"
#include "web/ResultsFeed.h"
#include "web/ResultsServer.h"

namespace zlt::web {
namespace {

const QString kOn = QStringLiteral("zapnuto");
const QString kOff = QStringLiteral("vypnuto");

}  // namespace

LiveResults::LiveResults(competition::Competition& competition, std::filesystem::path eventFolder)
    : competition_(competition), keptIn_(eventFolder / kFile), port_(ResultsServer::kDefaultPort) {
    const std::vector<std::string> lines = text::keptLines(keptIn_);
    const QStringList words = lines.empty() ? QStringList()
                                            : QString::fromStdString(lines[0]).split(
                                                  QLatin1Char(' '), Qt::SkipEmptyParts);
    bool isPort = false;
    const uint port = words.value(1).toUInt(&isPort);
    if (isPort && port <= 65535) {
        port_ = static_cast<quint16>(port);
    }
    if (words.value(0) == kOn) {
        try {
            server_ = started();
        } catch (const std::exception& error) {
            problem_ = QString::fromUtf8(error.what());
        }
    }
}

LiveResults::~LiveResults() = default;

std::unique_ptr<ResultsFeed> LiveResults::started() {
    auto server = std::make_unique<ResultsFeed>(competition_);
    server->start(port_, true);
    connect(server.get(), &ResultsFeed::restarted, this, [this] {
        problem_ = QStringLiteral("Výsledky na síti se zastavily a v %1 znovu běží: %2")
                       .arg(QTime::currentTime().toString(QStringLiteral("H:mm:ss")),
                            addresses().constFirst());
        emit changed();
    });
    return server;
}

void LiveResults::setOn(bool on) {
    if (on == this->on()) {
        return;
    }
    std::unique_ptr<ResultsFeed> server = on ? started() : nullptr;
    keep(on);
    server_ = std::move(server);
    problem_.clear();
    emit changed();
}

void LiveResults::keep(bool on) {
    QString line = on ? kOn : kOff;
    if (port_ != ResultsServer::kDefaultPort) {
        line += QStringLiteral(" %1").arg(port_);
    }
    reports::replaceFileSaying(keptIn_, (line + QLatin1Char('\n')).toStdString());
}

QStringList LiveResults::addresses() const {
    return server_ ? server_->addresses() : QStringList();
}

}  // namespace zlt::web
