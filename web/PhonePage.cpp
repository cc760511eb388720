#include "web/PhonePage.h"

#include "reports/model/HtmlPage.h"
#include "web/LiveScript.h"

namespace zlt::web {
namespace {

// Large type that a phone held at arm's length reads without zooming. A team's name breaks
// wherever it must, even within a word, so that one long name cannot widen the table past
// the screen and push every row's total out of sight; the places and totals never break.
// Should anything else be wider, the table scrolls sideways within its box.
constexpr const char* kPhoneStyle =
    "body{margin:.6em;font-size:20px;line-height:1.3}"
    "h1{font-size:1.3em;margin:.2em 0}"
    ".kolo{font-weight:bold;margin:.2em 0}.zmena{color:#555;margin:.2em 0 .6em}"
    ".predbezne{color:#b00000;font-weight:bold;margin:.2em 0 .6em}"
    ".tabulka{overflow-x:auto;max-width:100%}"
    ".tabulka table{width:100%}"
    ".tabulka th,.tabulka td{border:0;border-bottom:1px solid #ccc;padding:.3em .4em}"
    ".tabulka .r{text-align:right;white-space:nowrap}"
    ".tabulka .jmeno{overflow-wrap:anywhere;word-break:break-word}";

QString cell(const QString& text, const char* tag, const char* cls = nullptr) {
    const QString open =
        cls ? QStringLiteral("<%1 class=\"%2\">").arg(QLatin1String(tag), QLatin1String(cls))
            : QStringLiteral("<%1>").arg(QLatin1String(tag));
    return open + text.toHtmlEscaped() + QStringLiteral("</%1>").arg(QLatin1String(tag));
}

QString standingsTable(const std::vector<competition::StandingLine>& lines) {
    QString rows;
    for (const competition::StandingLine& line : lines) {
        rows += QStringLiteral("<tr>") + cell(line.place, "td", "r") +
                cell(line.team, "td", "jmeno") + cell(line.totals.value(0), "td", "r") +
                QStringLiteral("</tr>\n");
    }
    return QStringLiteral("<div class=\"tabulka\"><table>\n<thead><tr>") +
           cell(QStringLiteral("Pořadí"), "th", "r") +
           cell(QStringLiteral("Družstvo"), "th", "jmeno") +
           cell(QStringLiteral("Celkem"), "th", "r") + QStringLiteral("</tr></thead>\n<tbody>\n") +
           rows + QStringLiteral("</tbody>\n</table></div>\n");
}

}  // namespace

QString phonePage(const competition::EventDetails& details, competition::StandingsRound round,
                  const std::vector<competition::StandingLine>& lines, const QDateTime& lastChange,
                  bool provisional) {
    const QString heading = competition::eventHeading(details);
    const QString changed =
        lastChange.isValid() ? lastChange.toString(QStringLiteral("H:mm:ss")) : QStringLiteral("–");
    const QString body =
        cell(heading, "h1") + cell(competition::standingsTitle(round), "p", "kolo") +
        cell(QStringLiteral("Poslední změna ") + changed, "p", "zmena") +
        (provisional ? cell(QStringLiteral("Předběžné výsledky"), "p", "predbezne") : QString()) +
        standingsTable(lines) +
        QStringLiteral("<p><a href=\"/index.html\">Všechny výsledky</a></p>\n");
    return reports::htmlDocument(heading, body,
                                 QStringLiteral("<style>") + QLatin1String(kPhoneStyle) +
                                     QStringLiteral("</style>\n") + liveScriptTag());
}

}  // namespace zlt::web
