// zlt-event: the results office's commands without its windows, for organisers who publish
// from a script and for testing the program from outside. Each command runs the same core
// code as the tools window, prints what it did, and returns 0 only when it succeeded.
#include <QCommandLineOption>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "competition/Competition.h"
#include "competition/Diplomas.h"
#include "competition/Disciplines.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "database/DatabaseError.h"
#include "platform/EndSignals.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "reports/sheets/DiplomaSheet.h"
#include "reports/sheets/Export.h"
#include "reports/sheets/Sheets.h"
#include "text/SystemError.h"
#include "tools/EventFolder.h"
#include "tools/OptionParser.h"
#include "web/OpenFiles.h"
#include "web/ResultsFeed.h"
#include "web/ResultsServer.h"

namespace zlt::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 1;
constexpr int kUsageExit = 2;

constexpr const char* kUsage =
    "Použití: zlt-event PŘÍKAZ SLOŽKA [...]\n"
    "  new SLOŽKA                          založí složku nového ročníku\n"
    "  import SLOŽKA SOUBOR [--finals]     načte jména družstev ze souboru CSV/TSV\n"
    "  rank SLOŽKA [--finals] [--countback]\n"
    "                                      spočítá a zapíše pořadí ze součtů\n"
    "  export SLOŽKA CÍL [--csv] [--html] [--finals-mode vynulovani|pokracovani]\n"
    "                                      zapíše výsledky (bez voleb obojí)\n"
    "  diplomas SLOŽKA CÍL.pdf [--round predkolo|finale|celkove] [--top N|--all]\n"
    "           [--ucast] [--portrait] [--finals-mode vynulovani|pokracovani]\n"
    "                                      zapíše diplomy umístěných družstev do PDF\n"
    "  disciplines SLOŽKA [N=DRUH[,obracene][,posledni]]...\n"
    "                                      vypíše, jak se hodnotí disciplíny, nebo to nastaví:\n"
    "                                      N je 1 až 6 nebo F1 až F3, DRUH cas, vzdalenost,\n"
    "                                      body nebo rucni; obracene: lepší je naopak,\n"
    "                                      posledni: družstva bez výsledku sdílejí poslední\n"
    "                                      místo (jinak umístění nemají)\n"
    "  placings SLOŽKA N [--write] [--database UMÍSTĚNÍ]\n"
    "                                      spočítá umístění disciplíny N z výsledků;\n"
    "                                      s --write je zapíše i se součty\n"
    "  check SLOŽKA [--database UMÍSTĚNÍ]  vypíše podezřelá místa v obou kolech\n"
    "                                      (návratový kód 1, když nějaké najde)\n"
    "  backup SLOŽKA                       uloží zálohu databáze\n"
    "  copies SLOŽKA                       vypíše zálohy, nejnovější první\n"
    "  restore SLOŽKA ZÁLOHA               vrátí databázi do stavu zálohy\n"
    "  journal SLOŽKA                      vypíše deník změn\n"
    "  serve SLOŽKA [--database UMÍSTĚNÍ] [--port N] [--listen-all]\n"
    "           [--finals-mode vynulovani|pokracovani]\n"
    "                                      ukazuje výsledky živě v prohlížeči (na síti\n"
    "                                      jen s --listen-all), do Ctrl+C\n"
    "  new-server-db SERVER:CESTA          založí databázi ročníku na serveru Firebird\n"
    "  -h, --help                          vypíše tuto nápovědu (i za příkazem)\n"
    "  -V, --version                       vypíše verzi\n"
    "SLOŽKA je složka ročníku se souborem ZLT04.GDB. Příkaz se odmítne, když databázi\n"
    "drží spuštěný program. --finals-mode je režim finále okna Finále: vynulovani (bez\n"
    "volby) nebo pokracovani, kdy pořadí finále ukazuje i body ze základní části.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command that failed says, in Czech: the system's refusals of a file or a folder
// in words of their own, everything else as thrown.
std::string failureText(const std::exception& error) {
    const auto* fileSystem = dynamic_cast<const fs::filesystem_error*>(&error);
    return fileSystem == nullptr ? error.what() : text::fileSystemFailureText(*fileSystem);
}

struct Arguments {
    std::vector<std::string> positional;
    std::set<std::string> options;
    std::map<std::string, std::string> values;
    bool has(const std::string& option) const {
        return options.count(option) > 0 || values.count(option) > 0;
    }
};

// The finals mode the finals window's radio buttons would choose; vynulovani unless told.
competition::FinalsMode finalsMode(const Arguments& arguments) {
    const auto value = arguments.values.find("--finals-mode");
    if (value == arguments.values.end() || value->second == "vynulovani") {
        return competition::FinalsMode::Vynulovani;
    }
    if (value->second == "pokracovani") {
        return competition::FinalsMode::Pokracovani;
    }
    throw UsageError("volba --finals-mode chce vynulovani nebo pokracovani");
}

// The core in the event folder, as the program holds it while it runs: the database
// attached and both rounds' rows read.
// Without a location, the database is the folder's own file (or the server kept for it).
class OpenEvent {
public:
    explicit OpenEvent(const fs::path& folder, const std::string& location = {})
        : inside_(enter(folder, location)),
          competition_(std::make_unique<competition::Competition>(location)) {
        competition_->openPreliminary();
        competition_->openFinals();
        // A copy cut short last time, mended by the opening, is told once here, whatever
        // the command; a copy the command takes then tells only of itself.
        competition::Backups& backups = competition_->backups();
        if (!backups.problem().isEmpty()) {
            std::printf("Záloha: %s\n", backups.problem().toUtf8().constData());
            backups.noticeTold();
        }
    }
    competition::Competition& competition() { return *competition_; }

    // What the command wrote is committed; its journal lines must be on the disk too before
    // the command says it succeeded, or the changes could not be made again after a power
    // cut or a copy restored.
    void keepJournal() {
        competition::ChangeJournal& journal = competition_->journal();
        if (!journal.flush()) {
            throw competition::Refusal(
                "Změny jsou zapsané v databázi, ale deník změn je nemá celé na disku. " +
                journal.problem().toStdString());
        }
    }

private:
    static fs::path enter(const fs::path& folder, const std::string& location) {
        if (location.empty() && !fs::exists(folder / competition::kDatabaseFile)) {
            throw competition::Refusal("Ve složce " + folder.string() + " není databáze " +
                                       competition::kDatabaseFile);
        }
        fs::current_path(folder);
        return folder;
    }

    fs::path inside_;
    // Made inside the folder: the core takes the working directory as the event folder.
    std::unique_ptr<competition::Competition> competition_;
};

// The location --database names; empty for the folder's own database (or the one kept
// for it).
std::string databaseOption(const Arguments& arguments) {
    const auto location = arguments.values.find("--database");
    return location == arguments.values.end() ? std::string() : location->second;
}

db::ResultSet& roundOf(competition::Competition& competition, const Arguments& arguments) {
    return arguments.has("--finals") ? competition.finals() : competition.preliminary();
}

void printCopyStatus(const competition::Backups& backups) {
    if (!backups.problem().isEmpty()) {
        std::printf("Záloha: %s\n", backups.problem().toUtf8().constData());
    }
}

int newEvent(const Arguments& arguments) {
    createEventFolder(arguments.positional[0]);
    std::printf("Složka nového ročníku je připravená: %s\n", arguments.positional[0].c_str());
    return 0;
}

int newServerDatabase(const Arguments& arguments) {
    const std::string& location = arguments.positional[0];
    createServerDatabase(location);
    std::printf(
        "Databáze ročníku je na serveru připravená. Program spusťte s:\n"
        "  zlt --database %s\n",
        location.c_str());
    return 0;
}

int importTeams(const Arguments& arguments) {
    const competition::TeamList list =
        competition::readTeamListFile(fs::absolute(arguments.positional[1]));
    OpenEvent event(arguments.positional[0]);
    db::ResultSet& rows = roundOf(event.competition(), arguments);
    const std::vector<competition::ImportLine> lines = competition::planImport(list, rows);
    for (const competition::ImportLine& line : lines) {
        for (const std::string& warning : line.warnings) {
            std::printf("Řádek %d (%s): %s\n", line.line, line.name.c_str(), warning.c_str());
        }
    }
    event.competition().writeImport(rows, lines);
    event.keepJournal();
    std::printf("Zapsáno družstev do %s: %zu\n", rows.fields().table().c_str(), lines.size());
    printCopyStatus(event.competition().backups());
    return 0;
}

std::string rankText(const std::optional<int>& rank) {
    return rank ? std::to_string(*rank) : "-";
}

int rank(const Arguments& arguments) {
    OpenEvent event(arguments.positional[0]);
    db::ResultSet& rows = roundOf(event.competition(), arguments);
    const auto lines = competition::proposeRanks(rows, arguments.has("--countback"));
    int changed = 0;
    for (const competition::RankLine& line : lines) {
        std::printf("%-25s %4s -> %4s%s\n", line.team.c_str(), rankText(line.current).c_str(),
                    rankText(line.computed).c_str(), line.changed() ? "  změna" : "");
        changed += line.changed() ? 1 : 0;
    }
    event.competition().writeRanks(rows, lines);
    event.keepJournal();
    std::printf("Zapsáno pořadí do %s: %d změn\n", rows.fields().table().c_str(), changed);
    return 0;
}

int exportResults(const Arguments& arguments) {
    const fs::path target = fs::absolute(arguments.positional[1]);
    const competition::FinalsMode mode = finalsMode(arguments);
    OpenEvent event(arguments.positional[0]);
    competition::Competition& competition = event.competition();
    competition.details().load();
    competition.finalsMode().set(mode);
    reports::ExportChoice choice;
    if (arguments.has("--csv") || arguments.has("--html")) {
        choice = {arguments.has("--csv"), arguments.has("--html")};
    }
    createFolder(target);
    for (const fs::path& file : reports::exportResults(
             competition, reports::optionsWithoutGrid(competition), target, choice)) {
        std::printf("Zapsáno: %s\n", file.string().c_str());
    }
    return 0;
}

// The whole number an option was given.
int integerOption(const Arguments& arguments, const std::string& option) {
    const std::string& text = arguments.values.at(option);
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size()) {
        throw UsageError("volba " + option + " chce celé číslo, ne " + text);
    }
    return value;
}

competition::DiplomaChoice diplomaChoice(const Arguments& arguments) {
    competition::DiplomaChoice choice;
    if (const auto round = arguments.values.find("--round"); round != arguments.values.end()) {
        const std::map<std::string, competition::DiplomaRound> rounds{
            {"predkolo", competition::DiplomaRound::Preliminary},
            {"finale", competition::DiplomaRound::Finals},
            {"celkove", competition::DiplomaRound::Overall}};
        if (rounds.count(round->second) == 0) {
            throw UsageError("volba --round chce predkolo, finale nebo celkove");
        }
        choice.round = rounds.at(round->second);
    }
    if (arguments.has("--top") && arguments.has("--all")) {
        throw UsageError("volby --top a --all nejdou spolu");
    }
    if (arguments.has("--top")) {
        choice.top = integerOption(arguments, "--top");
    }
    if (arguments.has("--all")) {
        choice.top.reset();
    }
    choice.participation = arguments.has("--ucast");
    return choice;
}

// The check's findings in the rows the diplomas are made from; the overall standings count
// both rounds.
// Diplomas may have to be printed before every mistake is mended; the organiser is told
// what the check found, and the diplomas are made all the same.
void warnOfFindings(const std::vector<competition::Finding>& findings) {
    if (findings.empty()) {
        return;
    }
    std::fprintf(stderr,
                 "zlt-event: Pozor, kontrola výsledků našla možné chyby (nálezů: %zu); diplomy "
                 "se zapíší i tak:\n",
                 findings.size());
    for (const competition::Finding& finding : findings) {
        std::fprintf(stderr, "  %s\n", finding.line().c_str());
    }
}

int diplomas(const Arguments& arguments) {
    const fs::path target = fs::absolute(arguments.positional[1]);
    const competition::DiplomaChoice choice = diplomaChoice(arguments);
    const competition::FinalsMode mode = finalsMode(arguments);
    OpenEvent event(arguments.positional[0]);
    competition::Competition& competition = event.competition();
    competition.finalsMode().set(mode);
    warnOfFindings(competition.check().findingsBehind(choice.round));
    competition::EventDetails& details = competition.details();
    details.load();
    const std::vector<competition::DiplomaTeam> teams = competition::chooseDiplomaTeams(
        competition::diplomaRows(choice.round, competition.preliminary(), competition.finals()),
        choice);
    const competition::KeptDiplomaLayout layout =
        competition::readDiplomaLayout(fs::current_path());
    QStringList problems;
    if (!layout.problem.empty()) {
        problems << QString::fromStdString(layout.problem);
    }
    const reports::DiplomaOptions options = reports::diplomaOptions(
        details, choice.round, !arguments.has("--portrait"), layout.layout, problems);
    for (const QString& problem : problems) {
        std::fprintf(stderr, "zlt-event: %s\n", problem.toUtf8().constData());
    }
    const QByteArray pdf = reports::pdfOf(reports::generate(reports::diplomaSheet(teams, options)));
    reports::replaceFileSaying(target, std::string_view(pdf.constData(), pdf.size()));
    for (const competition::DiplomaTeam& team : teams) {
        // Padded by letters, not bytes, so that the names stand in one column.
        std::printf("%s %s\n",
                    reports::diplomaPlaceText(team.place).leftJustified(12).toUtf8().constData(),
                    team.team.c_str());
    }
    std::printf("Zapsáno diplomů: %zu do %s\n", teams.size(), target.string().c_str());
    return 0;
}

int backup(const Arguments& arguments) {
    OpenEvent event(arguments.positional[0]);
    competition::Backups& backups = event.competition().backups();
    const std::optional<fs::path> copy = backups.takeCopy();
    printCopyStatus(backups);
    if (!copy) {
        return kFailed;
    }
    std::printf("Záloha uložena: %s\n", copy->string().c_str());
    return 0;
}

std::string timeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}

int listCopies(const Arguments& arguments) {
    OpenEvent event(arguments.positional[0]);
    competition::Backups& backups = event.competition().backups();
    for (const competition::BackupCopy& copy : backups.copies()) {
        const QString flaw = backups.examine(copy).flaw;
        std::printf("%s  %s%s\n", timeText(copy.taken).c_str(), copy.file.string().c_str(),
                    flaw.isEmpty() ? "" : ("  nečitelná (" + flaw + ")").toUtf8().constData());
    }
    return 0;
}

// The copy as named on the command line: a path, or a file name in the copies' folder.
competition::BackupCopy findCopy(const fs::path& eventFolder, const std::string& name) {
    for (const competition::BackupCopy& copy : competition::Backups::copiesOf(eventFolder)) {
        if (copy.file.filename() == fs::path(name).filename()) {
            return copy;
        }
    }
    throw competition::Refusal("Záloha " + name + " ve složce " + competition::Backups::kFolder +
                               " není; vypíše je příkaz copies");
}

int restore(const Arguments& arguments) {
    const competition::BackupCopy chosen =
        findCopy(arguments.positional[0], arguments.positional[1]);
    // Proven before the event's database is even attached, so that a refusal leaves it as it
    // was to the byte. The restore proves it again, as it is then.
    competition::proveCopy(chosen.file);
    const competition::BackupCopy copy{fs::absolute(chosen.file), chosen.taken};
    OpenEvent event(arguments.positional[0]);
    const auto since = event.competition().restore(copy);
    event.keepJournal();
    std::printf("Databáze vrácena do stavu zálohy z %s.\n", timeText(copy.taken).c_str());
    if (!since.empty()) {
        std::printf("Deník má %zu změn z doby po záloze; znovu je lze provést v okně Nástroje.\n",
                    since.size());
    }
    return 0;
}

int printJournal(const Arguments& arguments) {
    OpenEvent event(arguments.positional[0]);
    for (const competition::JournalEntry& entry : event.competition().journal().entries()) {
        std::printf("%s  %s  %s %s", timeText(entry.time).c_str(), entry.change.c_str(),
                    entry.table.c_str(), entry.row.c_str());
        if (!entry.field.empty()) {
            std::printf("  %s: %s -> %s", entry.field.c_str(), entry.before.c_str(),
                        entry.after.c_str());
        }
        std::printf("\n");
    }
    return 0;
}

std::unique_ptr<OpenEvent> openToServe(const Arguments& arguments) {
    try {
        return std::make_unique<OpenEvent>(arguments.positional[0], databaseOption(arguments));
    } catch (const db::DatabaseError& error) {
        if (error.engineCode() != db::DatabaseError::kHeldElsewhere) {
            throw;
        }
        throw competition::Refusal(
            std::string(error.what()) +
            " Když databázi drží spuštěný program ZLT, zapněte výsledky na síti v jeho okně "
            "Nástroje (Výsledky na síti); zlt-event serve je pro databázi na serveru nebo pro "
            "složku, kterou žádný program nemá otevřenou.");
    }
}

quint16 portOf(const Arguments& arguments) {
    if (!arguments.has("--port")) {
        return web::ResultsServer::kDefaultPort;
    }
    const int port = integerOption(arguments, "--port");
    // 0 takes any free port; the address printed names it.
    if (port < 0 || port > 65535) {
        throw UsageError("volba --port chce číslo portu od 0 do 65535");
    }
    return static_cast<quint16>(port);
}

// Serves until SIGTERM or SIGINT; the signals reach the event loop, which ends normally, so
// that the database is detached and the sockets closed on the way out.
int serve(const Arguments& arguments) {
    const quint16 port = portOf(arguments);
    const competition::FinalsMode mode = finalsMode(arguments);
    platform::blockEndSignals();
    std::unique_ptr<OpenEvent> event = openToServe(arguments);
    competition::Competition& competition = event->competition();
    competition.details().load();
    competition.finalsMode().set(mode);
    web::ResultsFeed server(competition);
    server.start(port, arguments.has("--listen-all"));
    std::printf("Výsledky na síti běží. Otevřete v prohlížeči:\n");
    for (const QString& address : server.addresses()) {
        std::printf("  %s\n", address.toUtf8().constData());
    }
    std::printf("Ukončí je Ctrl+C.\n");
    std::fflush(stdout);
    QObject::connect(&server, &web::ResultsFeed::restarted, [] {
        std::printf("Server výsledků se zastavil a znovu běží.\n");
        std::fflush(stdout);
    });
    platform::EndSignals ends;
    QObject::connect(&ends, &platform::EndSignals::received, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    std::printf("Výsledky na síti ukončeny.\n");
    return 0;
}

void tellRulesProblem(const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "zlt-event: %s\n", problem.c_str());
    }
}

// The disciplines' choices live beside the settings, so a folder without the database
// (one whose database is on a server) is an event folder too.
void requireEventFolder(const fs::path& folder) {
    if (!fs::exists(folder / competition::kDatabaseFile) &&
        !fs::exists(folder / competition::kSettingsFile)) {
        throw competition::Refusal(
            "Složka " + folder.string() + " není složkou ročníku: není v ní " +
            competition::kDatabaseFile + " ani " + competition::kSettingsFile);
    }
}

// The rules with every assignment in place. All are read before any is kept, so that one
// mistake leaves the file as it was.
competition::DisciplineRules assigned(competition::DisciplineRules rules,
                                      const std::vector<std::string>& assignments) {
    std::set<std::string> named;
    for (const std::string& assignment : assignments) {
        std::string why;
        const auto parsed = competition::parseRuleLine(assignment, &why);
        if (!parsed) {
            throw UsageError(why);
        }
        const auto& [discipline, rule] = *parsed;
        if (!named.insert(discipline.name()).second) {
            throw UsageError(discipline.caption() + " je zadaná dvakrát");
        }
        rules.of(discipline) = rule;
    }
    return rules;
}

// A damaged file counts as all manual; assignments replace it whole, which changes nothing
// for the disciplines they leave out. Listing a damaged file alone fails, so that a script
// notices.
int disciplines(const Arguments& arguments) {
    const fs::path folder = arguments.positional[0];
    requireEventFolder(folder);
    const std::vector<std::string> assignments(arguments.positional.begin() + 1,
                                               arguments.positional.end());
    competition::LoadedRules loaded = competition::loadDisciplineRules(folder);
    tellRulesProblem(loaded.problem);
    if (!assignments.empty()) {
        loaded.rules = assigned(loaded.rules, assignments);
        competition::saveDisciplineRules(folder, loaded.rules);
    }
    for (const competition::Discipline& discipline : competition::allDisciplines()) {
        std::printf("%s\n", competition::ruleLine(discipline, loaded.rules.of(discipline)).c_str());
    }
    return loaded.problem.empty() || !assignments.empty() ? 0 : kFailed;
}

competition::Discipline disciplineNamed(const std::string& name) {
    const std::optional<competition::Discipline> discipline = competition::Discipline::named(name);
    if (!discipline) {
        throw UsageError("disciplína " + name + " není; jsou 1 až 6 a F1 až F3");
    }
    return *discipline;
}

// The value as an organiser reads it: a decimal comma, the unit of its kind.
std::string valueText(const competition::ReadResult& read, competition::ResultKind kind) {
    if (!read.readable()) {
        return read.problem;
    }
    if (!read.value) {
        return "bez výsledku";
    }
    const QString number = QString::number(*read.value, 'g', 12).replace(u'.', u',');
    const char* unit = kind == competition::ResultKind::Time       ? " s"
                       : kind == competition::ResultKind::Distance ? " m"
                                                                   : "";
    return number.toStdString() + unit;
}

// Padded by letters, not bytes, so that the columns stand under each other.
std::string padded(const std::string& text, int width) {
    return QString::fromStdString(text).leftJustified(width).toStdString();
}

void printPlacingLine(const competition::PlacingLine& line, competition::ResultKind kind) {
    const std::string number = line.number ? std::to_string(*line.number) : "";
    std::printf("%4s %s %s %s %4s -> %4s%s\n", number.c_str(), padded(line.team, 25).c_str(),
                padded(line.result, 14).c_str(), padded(valueText(line.read, kind), 12).c_str(),
                rankText(line.current).c_str(), rankText(line.computed).c_str(),
                line.changed() ? "  změna" : "");
}

// A manual discipline is a usage mistake: its placings are typed, there is nothing to
// compute until its kind is set.
int placings(const Arguments& arguments) {
    const competition::Discipline discipline = disciplineNamed(arguments.positional[1]);
    OpenEvent event(arguments.positional[0], databaseOption(arguments));
    competition::Competition& competition = event.competition();
    tellRulesProblem(competition.check().rulesProblem());
    const competition::DisciplineRule& rule = competition.check().rules().of(discipline);
    db::ResultSet& rows = discipline.finals ? competition.finals() : competition.preliminary();
    if (rule.kind == competition::ResultKind::Manual) {
        std::fprintf(stderr,
                     "zlt-event: %s: umístění se zapisují ručně; druh výsledků nastaví příkaz "
                     "disciplines.\n",
                     discipline.caption().c_str());
        return kUsageExit;
    }
    const competition::PlacingPlan plan = competition::proposePlacings(rows, discipline, rule);
    for (const competition::PlacingLine& line : plan.lines) {
        printPlacingLine(line, rule.kind);
    }
    if (!arguments.has("--write")) {
        std::printf("%s: změn umístění %d z %zu družstev%s\n", discipline.caption().c_str(),
                    plan.changedCount(), plan.lines.size(),
                    plan.writable() ? "; zapíše je volba --write" : "; zapsat je nelze");
        return 0;
    }
    competition.writePlacings(rows, plan);
    event.keepJournal();
    std::printf("%s: zapsáno změn umístění do %s: %d\n", discipline.caption().c_str(),
                rows.fields().table().c_str(), plan.changedCount());
    return 0;
}

// Exit 2 when the event cannot be read at all, so that a script tells it from findings.
int checkEvent(const Arguments& arguments) {
    std::unique_ptr<OpenEvent> event;
    try {
        event = std::make_unique<OpenEvent>(arguments.positional[0], databaseOption(arguments));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zlt-event: %s\n", failureText(error).c_str());
        return kUsageExit;
    }
    const competition::LiveCheck& check = event->competition().check();
    tellRulesProblem(check.rulesProblem());
    for (const competition::Finding& finding : check.findings()) {
        std::printf("%s\n", finding.line().c_str());
    }
    if (check.findings().empty()) {
        std::printf("Kontrola nenašla nic podezřelého.\n");
        return 0;
    }
    return kFailed;
}

struct Command {
    const char* name;
    std::size_t positional;
    std::set<std::string> options;
    int (*run)(const Arguments&);
    bool morePositional = false;
};

const std::vector<Command>& commands() {
    static const std::vector<Command> all{
        {"new", 1, {}, newEvent},
        {"import", 2, {"--finals"}, importTeams},
        {"rank", 1, {"--finals", "--countback"}, rank},
        {"export", 2, {"--csv", "--html", "--finals-mode="}, exportResults},
        {"diplomas",
         2,
         {"--round=", "--top=", "--all", "--ucast", "--portrait", "--finals-mode="},
         diplomas},
        {"backup", 1, {}, backup},
        {"copies", 1, {}, listCopies},
        {"restore", 2, {}, restore},
        {"journal", 1, {}, printJournal},
        {"serve", 1, {"--database=", "--port=", "--listen-all", "--finals-mode="}, serve},
        {"disciplines", 1, {}, disciplines, true},
        {"placings", 2, {"--write", "--database="}, placings},
        {"check", 1, {"--database="}, checkEvent},
        {"new-server-db", 1, {}, newServerDatabase},
    };
    return all;
}

const QCommandLineOption& helpOption() {
    static const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    return help;
}

// An option listed as "--name=" takes a value.
QCommandLineOption optionOf(const std::string& listed) {
    const bool takesValue = listed.ends_with('=');
    const QString name = QString::fromStdString(listed.substr(2)).remove(QLatin1Char('='));
    return takesValue ? QCommandLineOption(name, QString(), QStringLiteral("hodnota"))
                      : QCommandLineOption(name);
}

// The command's arguments as its body reads them: at least `positional` besides the
// options, exactly that many unless `morePositional`.
Arguments argumentsOf(const Command& command, const OptionParser& parser) {
    Arguments arguments;
    for (const QString& positional : parser.positional()) {
        arguments.positional.push_back(positional.toStdString());
    }
    for (const std::string& listed : command.options) {
        const QCommandLineOption option = optionOf(listed);
        if (!parser.isSet(option)) {
            continue;
        }
        const std::string name = "--" + option.names().constFirst().toStdString();
        if (option.valueName().isEmpty()) {
            arguments.options.insert(name);
        } else {
            arguments.values[name] = parser.value(option).toStdString();
        }
    }
    const std::size_t given = arguments.positional.size();
    if (given < command.positional || (!command.morePositional && given > command.positional)) {
        throw UsageError(std::string("příkaz ") + command.name + " chce " +
                         (command.morePositional ? "aspoň " : "") +
                         std::to_string(command.positional) + " argument(y)");
    }
    return arguments;
}

// What the command line asks for: a command and its arguments.
struct Invocation {
    const Command* command;
    Arguments arguments;
};

// None when the usage was asked for, and printed.
std::optional<Invocation> invocationOf(const Command& command, const QStringList& rest) {
    QList<QCommandLineOption> options{helpOption()};
    for (const std::string& listed : command.options) {
        options << optionOf(listed);
    }
    OptionParser parser(options);
    const bool parsed = parser.parse(rest);
    if (parser.isSet(helpOption())) {
        std::fputs(kUsage, stdout);
        return std::nullopt;
    }
    if (!parsed) {
        throw UsageError(parser.error().toStdString());
    }
    return Invocation{&command, argumentsOf(command, parser)};
}

// The program's own options come before the command, the command's after it. None when
// the usage or the version was asked for, and printed.
std::optional<Invocation> invocationOf(const QStringList& arguments) {
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    OptionParser parser({helpOption(), version});
    parser.stopAtFirstPositional();
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(helpOption())) {
        std::fputs(kUsage, stdout);
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        std::printf("zlt-event %s\n", ZLT_VERSION);
        return std::nullopt;
    }
    if (!parsed) {
        throw UsageError(parser.error().toStdString());
    }
    const QStringList words = parser.positional();
    if (words.isEmpty()) {
        throw UsageError("chybí příkaz");
    }
    for (const Command& command : commands()) {
        if (words[0] == QLatin1String(command.name)) {
            return invocationOf(command, words.mid(1));
        }
    }
    throw UsageError("neznámý příkaz " + words[0].toStdString());
}

}  // namespace
}  // namespace zlt::tools

// The command line is read before the application is made, so that a mistake in it is
// told alone, whatever the platform has to say.
int main(int argc, char** argv) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index) {
        arguments << QString::fromLocal8Bit(argv[index]);
    }
    // Nothing is ever shown: the pages are measured and drawn off screen, the same with or
    // without a display, unless the caller chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    zlt::web::raiseOpenFileLimit();
    try {
        const std::optional<zlt::tools::Invocation> invocation =
            zlt::tools::invocationOf(arguments);
        if (!invocation) {
            return 0;
        }
        QGuiApplication application(argc, argv);
        return invocation->command->run(invocation->arguments);
    } catch (const zlt::tools::UsageError& error) {
        std::fprintf(stderr, "zlt-event: %s (nápovědu vypíše zlt-event --help)\n", error.what());
        return zlt::tools::kUsageExit;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zlt-event: %s\n", zlt::tools::failureText(error).c_str());
        return zlt::tools::kFailed;
    }
}
