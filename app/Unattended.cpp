#include "app/Unattended.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/Startup.h"
#include "competition/Competition.h"
#include "competition/EventFiles.h"
#include "database/DatabaseLocation.h"
#include "database/RecoveryFile.h"
#include "platform/Dialogs.h"
#include "platform/EndSignals.h"
#include "platform/Guard.h"

namespace zlt::app {
namespace {

// Beside the database file; a database on a server has none here, so its rows are kept in
// the event folder under the name the folder's own file would have.
std::filesystem::path keptRowsFile(competition::Competition& competition) {
    const std::string& location = competition.databaseLocation();
    return db::recoveryFileOf(
        db::DatabaseLocation::parse(location).isServer()
            ? (std::filesystem::current_path() / competition::kDatabaseFile).string()
            : location);
}

// Never throws: it runs where nobody could be told, the errors go to the terminal.
void writeOrKeepPendingRows() noexcept {
    competition::Competition* competition = currentCompetition();
    if (competition == nullptr) {
        return;
    }
    try {
        std::vector<db::PendingRow> kept;
        for (db::ResultSet* rows : competition->resultSets()) {
            try {
                rows->checkBrowseMode();
            } catch (const std::exception& error) {
                std::cerr << "zlt: " << error.what() << "\n";
                if (auto row = rows->pendingRow()) {
                    kept.push_back(*row);
                }
            }
        }
        if (!kept.empty()) {
            const std::filesystem::path file = keptRowsFile(*competition);
            db::saveRecoveryFile(file, kept);
            std::cerr << "zlt: the rows that could not be written are kept in " << file << "\n";
        }
    } catch (const std::exception& error) {
        std::cerr << "zlt: " << error.what() << "\n";
    }
}

// The ordinary ending follows as the event loop returns: the last copy, then the windows
// and the core destroyed while the database client library is still whole. Leaving with
// exit() here instead would run the library's own teardown first, and the core's
// destructors, called after it, would reach into the torn-down library (a listener for the
// other tables on a server crashed every time).
void endUnattended() {
    writeOrKeepPendingRows();
    QCoreApplication::exit(0);
}

// Qt ends the process with exit() when the display connection breaks: the rows are written
// on the way out, and the database let go before the client library's teardown, which
// comes after this handler, so that the next start finds it free and no late call of the
// core reaches the library.
void atExit() {
    writeOrKeepPendingRows();
    if (competition::Competition* competition = currentCompetition()) {
        competition->closeDatabase();
    }
}

void offerKeptRows() {
    competition::Competition& competition = *currentCompetition();
    const std::filesystem::path file = keptRowsFile(competition);
    if (!std::filesystem::exists(file)) {
        return;
    }
    const std::vector<db::PendingRow> kept = db::loadRecoveryFile(file);
    const platform::DialogButton answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Rozepsané řádky"),
        QStringLiteral("Při posledním ukončení programu se nepodařilo zapsat rozepsané řádky "
                       "(%1). Vrátit je do tabulek, abyste je mohli opravit a uložit?")
            .arg(kept.size()));
    if (answer == platform::DialogButton::Cancel) {
        return;  // asked again at the next start
    }
    if (answer == platform::DialogButton::Yes) {
        for (const db::PendingRow& row : kept) {
            for (db::ResultSet* rows : competition.resultSets()) {
                if (rows->fields().table() == row.table) {
                    rows->resumeRow(row);
                }
            }
        }
    }
    std::filesystem::remove(file);
}

}  // namespace

void prepareForUnattendedEnd() {
    platform::runGuarded(offerKeptRows);
    auto* watcher = new platform::EndSignals(qApp);
    QObject::connect(watcher, &platform::EndSignals::received, qApp, [] { endUnattended(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [] { writeOrKeepPendingRows(); });
    std::atexit(atExit);
}

}  // namespace zlt::app
