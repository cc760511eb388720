#include "web/LiveResults.h"

#include <QStringList>
#include <QTime>
#include <exception>

#include "competition/EventChoices.h"
#include "competition/Refusal.h"
#include "competition/TypedWords.h"
#include "web/ResultsFeed.h"
#include "web/ResultsServer.h"

namespace zlt::web {
namespace {

const QString kOn = QStringLiteral("zapnuto");
const QString kOff = QStringLiteral("vypnuto");

}  // namespace

LiveResults::LiveResults(competition::Competition& competition, std::filesystem::path eventFolder)
    : competition_(competition),
      eventFolder_(std::move(eventFolder)),
      port_(ResultsServer::kDefaultPort) {
    try {
        readKept();
    } catch (const std::exception& error) {
        problem_ = QString::fromUtf8(error.what());
    }
}

// Throws with the Czech reason when the kept choice cannot be followed.
void LiveResults::readKept() {
    const competition::KeptChoice kept =
        competition::readChoice(eventFolder_, competition::EventChoice::LiveResults);
    if (kept.damaged()) {
        throw competition::Refusal(kept.problem);
    }
    const QStringList words =
        QString::fromStdString(kept.first()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto damaged = [](const std::string& why) {
        return competition::Refusal(
            competition::damagedLine(competition::EventChoice::LiveResults, 1, why));
    };
    if (!words.isEmpty() && words[0] != kOn && words[0] != kOff) {
        throw damaged(competition::quotedText(words[0].toStdString()) +
                      " není zapnuto ani vypnuto.");
    }
    bool isPort = false;
    const uint port = words.value(1).toUInt(&isPort);
    if (words.size() > 2 || (words.size() == 2 && (!isPort || port > 65535))) {
        throw damaged(competition::quotedText(words.mid(1).join(QLatin1Char(' ')).toStdString()) +
                      " není číslo portu od 0 do 65535.");
    }
    if (words.size() == 2) {
        port_ = static_cast<quint16>(port);
    }
    if (words.value(0) == kOn) {
        server_ = started();
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
    competition::keepChoice(eventFolder_, competition::EventChoice::LiveResults,
                            {line.toStdString()});
}

QStringList LiveResults::addresses() const {
    return server_ ? server_->addresses() : QStringList();
}

}  // namespace zlt::web
