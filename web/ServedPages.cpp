#include "web/ServedPages.h"

#include <exception>

#include "competition/Standings.h"
#include "reports/sheets/Export.h"
#include "web/AddressCode.h"
#include "web/LiveScript.h"
#include "web/PhonePage.h"

namespace zlt::web {
namespace {

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray kCsv = QByteArrayLiteral("text/csv; charset=utf-8");

// The export's pages follow the changes once the live script is in their head.
QByteArray live(const std::string& page) {
    QByteArray bytes = QByteArray::fromStdString(page);
    const qsizetype headEnd = bytes.indexOf("</head>");
    if (headEnd >= 0) {
        bytes.insert(headEnd, liveScriptTag().toUtf8());
    }
    return bytes;
}

}  // namespace

ServedPages::ServedPages(competition::Competition& competition)
    : competition_(competition), rows_(competition.committed()) {}

// The phone page is compared as it would stand with the last change's time: its time
// changes only because the rest did.
bool ServedPages::refresh() {
    try {
        rows_.update();
        PageMap pages = exportPages();
        const competition::StandingsRound round = competition::roundInProgress(rows_.finals());
        const std::vector<competition::StandingLine> lines =
            competition::readStandings(rows_, round);
        const bool provisional =
            !competition_.check().findingsOf(round == competition::StandingsRound::Finals).empty();
        const auto phone = [&] {
            return ServedPage{
                phonePage(competition_.details(), round, lines, lastChange_, provisional).toUtf8(),
                kHtml};
        };
        const bool first = pages_.empty();
        const bool couldNot = !problem_.isEmpty();
        problem_.clear();
        if (first) {
            lastChange_ = journalled();
        } else {
            pages["/"] = phone();
            if (pages == pages_) {
                return couldNot;
            }
            lastChange_ = QDateTime::currentDateTime();
        }
        pages["/"] = phone();
        pages_ = std::move(pages);
        return true;
    } catch (const std::exception& error) {
        const QString problem =
            QStringLiteral("Výsledky nelze načíst: %1").arg(QString::fromUtf8(error.what()));
        const bool news = problem != problem_;
        problem_ = problem;
        return news;
    }
}

// The journal keeps the time of every value written, so that after a restart the pages do
// not pass old results off as fresh.
QDateTime ServedPages::journalled() const {
    const std::vector<competition::JournalEntry> entries = competition_.journal().entries();
    return entries.empty() ? QDateTime() : entries.back().time;
}

PageMap ServedPages::exportPages() {
    PageMap pages;
    for (const reports::ExportFile& file :
         reports::exportFiles(rows_.preliminary(), rows_.finals(),
                              reports::optionsWithoutGrid(competition_), competition_.details())) {
        const bool csv = file.name.ends_with(".csv");
        pages["/" + QByteArray::fromStdString(file.name)] = {
            csv ? QByteArray::fromStdString(file.bytes) : live(file.bytes), csv ? kCsv : kHtml};
    }
    pages[kLiveScript] = {liveScript(), QByteArrayLiteral("text/javascript; charset=utf-8")};
    showAddress(pages);
    return pages;
}

// Below the index's list, for a sheet to print or a screen to show at the venue.
void ServedPages::showAddress(PageMap& pages) const {
    const QByteArray code = addressCode(address_);
    if (code.isEmpty()) {
        return;
    }
    pages[kAddressCode] = {code, QByteArrayLiteral("image/svg+xml")};
    const QString escaped = address_.toHtmlEscaped();
    QByteArray& index = pages["/index.html"].bytes;
    const qsizetype bodyEnd = index.lastIndexOf("</body>");
    if (bodyEnd >= 0) {
        index.insert(bodyEnd, QStringLiteral("<p><img src=\"%1\" width=\"240\" height=\"240\" "
                                             "alt=\"QR kód adresy %2\"><br>%2</p>\n")
                                  .arg(QLatin1String(kAddressCode), escaped)
                                  .toUtf8());
    }
}

}  // namespace zlt::web
