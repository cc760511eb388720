#include "reports/sheets/Export.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "competition/Competition.h"
#include "competition/Csv.h"
#include "reports/model/HtmlPage.h"
#include "text/SystemError.h"
#include "text/TextFile.h"

namespace zlt::reports {
namespace {

using Maker = ReportDefinition (*)(db::ResultSet&, const SheetOptions&);

// One page of the export: its file, its sheet's maker, whether it shows the finals, its
// discipline (none: 0), and what it is, which tells it apart in the index from a page of
// the same heading.
struct SheetPage {
    std::string file;
    Maker maker;
    bool finals;
    int discipline;
    QString what;
};

// Every page, in the order of the index: the sheets as the print commands offer them.
std::vector<SheetPage> sheetPages() {
    std::vector<SheetPage> pages;
    for (int discipline = 1; discipline <= 6; ++discipline) {
        pages.push_back({"disciplina-" + std::to_string(discipline) + ".html", disciplineSheet,
                         false, discipline, QStringLiteral("%1. disciplína").arg(discipline)});
    }
    pages.push_back(
        {"prubezne-poradi.html", standingsSheet, false, 0, QStringLiteral("průběžné pořadí")});
    for (int discipline = 1; discipline <= 3; ++discipline) {
        pages.push_back({"finale-disciplina-" + std::to_string(discipline) + ".html",
                         finalDisciplineSheet, true, discipline,
                         QStringLiteral("%1. finálová disciplína").arg(discipline)});
    }
    pages.push_back(
        {"finale-poradi.html", finalsStandingsSheet, true, 0, QStringLiteral("finále")});
    pages.push_back(
        {"celkove-poradi.html", overallSheet, false, 0, QStringLiteral("celkové pořadí")});
    return pages;
}

// Two links of one title would leave the reader guessing: such a link also says what its
// page is.
void tellApart(std::vector<ExportFile>& pages, const std::vector<SheetPage>& sheets) {
    std::vector<bool> shared;
    for (const ExportFile& page : pages) {
        shared.push_back(std::count_if(pages.begin(), pages.end(), [&](const ExportFile& other) {
                             return other.title == page.title;
                         }) > 1);
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (shared[i]) {
            pages[i].title += QStringLiteral(" (") + sheets[i].what + QLatin1Char(')');
        }
    }
}

constexpr const char* kPreliminaryCsv = "predkolo.csv";
constexpr const char* kFinalsCsv = "finale.csv";
constexpr const char* kIndex = "index.html";

// A whole number or a decimal one with a comma or a point, signed or not: "-5", "-12,5".
bool plainNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const auto digits = [&text] {
        const std::size_t count = std::min(text.find_first_not_of("0123456789"), text.size());
        text.remove_prefix(count);
        return count > 0;
    };
    if (!digits()) {
        return false;
    }
    if (!text.empty() && (text.front() == ',' || text.front() == '.')) {
        text.remove_prefix(1);
        if (!digits()) {
            return false;
        }
    }
    return text.empty();
}

// A spreadsheet runs a cell that starts with one of these as a formula, so that a team
// named =HYPERLINK(...) would become a link, or worse; the apostrophe makes it text. A
// signed number stays a number: it runs nothing.
std::string asText(const std::string& cell) {
    if (cell.empty() || std::string_view("=+-@\t\r").find(cell.front()) == std::string::npos ||
        plainNumber(cell)) {
        return cell;
    }
    return '\'' + cell;
}

std::string crlfLine(std::vector<std::string> fields) {
    for (std::string& field : fields) {
        field = asText(field);
    }
    std::string line = competition::csvLine(fields, ';');
    line.pop_back();  // its LF
    return line + "\r\n";
}

std::string withoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The grid's visible columns under their titles, every row as it stands.
std::string csvTable(const db::ResultSet& rows) {
    rows.requireActive();
    std::vector<int> shown;
    std::vector<std::string> titles;
    for (int position = 0; position < rows.fields().size(); ++position) {
        if (rows.fields()[position].visible) {
            shown.push_back(position);
            titles.push_back(rows.fields()[position].displayLabel);
        }
    }
    std::string text = "\xEF\xBB\xBF" + crlfLine(titles);
    for (int row = 0; row < rows.recordCount(); ++row) {
        std::vector<std::string> values;
        for (const int position : shown) {
            values.push_back(withoutTrailingBlanks(db::displayText(rows.value(row, position))));
        }
        text += crlfLine(values);
    }
    return text;
}

QString indexPage(const std::vector<ExportFile>& files) {
    QString items;
    for (const ExportFile& file : files) {
        items += QStringLiteral("<li><a href=\"") +
                 QString::fromStdString(file.name).toHtmlEscaped() + QStringLiteral("\">") +
                 file.title.toHtmlEscaped() + QStringLiteral("</a></li>\n");
    }
    const QString title = QStringLiteral("Výsledky Zeltoria");
    return htmlDocument(title, QStringLiteral("<h1>") + title + QStringLiteral("</h1>\n<ul>\n") +
                                   items + QStringLiteral("</ul>\n"));
}

// Does what writes the file, telling a failure in Czech with the file, its folder and why.
template <typename Write>
void saying(const std::filesystem::path& file, Write write) {
    try {
        write();
    } catch (const text::FileWriteError& error) {
        throw std::runtime_error(
            QStringLiteral("Soubor %1 nelze zapsat do složky %2: %3.")
                .arg(QString::fromStdString(file.filename().string()),
                     QString::fromStdString(file.parent_path().string()),
                     QString::fromStdString(text::systemErrorText(error.error())))
                .toStdString());
    }
}

}  // namespace

std::vector<ExportFile> exportFiles(db::ResultSet& preliminary, db::ResultSet& finals,
                                    const SheetOptions& options,
                                    const competition::EventDetails& details, ExportChoice choice) {
    std::vector<ExportFile> files;
    if (choice.csv) {
        files.push_back(
            {kPreliminaryCsv, QStringLiteral("Základní část (CSV)"), csvTable(preliminary)});
        files.push_back({kFinalsCsv, QStringLiteral("Finále (CSV)"), csvTable(finals)});
    }
    if (choice.html) {
        const std::vector<SheetPage> sheets = sheetPages();
        std::vector<ExportFile> pages;
        for (const SheetPage& sheet : sheets) {
            const SheetOptions sheetOptions =
                sheet.discipline == 0
                    ? options
                    : forDiscipline(options, details, sheet.discipline, sheet.finals);
            const HtmlPage page =
                htmlPage(sheet.maker(sheet.finals ? finals : preliminary, sheetOptions));
            pages.push_back({sheet.file, page.title, page.html.toStdString()});
        }
        tellApart(pages, sheets);
        files.insert(files.end(), pages.begin(), pages.end());
        files.push_back({kIndex, {}, indexPage(files).toStdString()});
    }
    return files;
}

void replaceFileSaying(const std::filesystem::path& file, std::string_view bytes) {
    saying(file, [&] { text::replaceFile(file, bytes); });
}

std::vector<std::filesystem::path> exportResults(competition::Competition& competition,
                                                 const SheetOptions& options,
                                                 const std::filesystem::path& folder,
                                                 ExportChoice choice) {
    // Everything is made and written beside the old files, and on the disk, before the first
    // of them is replaced, so that a failure leaves the folder as it was. The bytes of all
    // are written before the first disk wait, and the folder's new names wait for one sync
    // after the last rename.
    std::vector<std::filesystem::path> written;
    std::vector<std::unique_ptr<text::PendingFile>> pending;
    for (const ExportFile& file : exportFiles(competition.preliminary(), competition.finals(),
                                              options, competition.details(), choice)) {
        written.push_back(folder / file.name);
        saying(written.back(), [&] {
            pending.push_back(std::make_unique<text::PendingFile>(written.back(), file.bytes,
                                                                  text::Flush::WithBatch));
        });
    }
    if (written.empty()) {
        return written;
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        saying(written[i], [&] { pending[i]->flush(); });
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        saying(written[i], [&] { pending[i]->replaceOld(); });
    }
    saying(written.back(), [&] { text::syncFolder(folder); });
    return written;
}

}  // namespace zlt::reports
