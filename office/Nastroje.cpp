#include "office/Nastroje.h"

#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "office/Diplomy.h"
#include "office/Discipliny.h"
#include "office/ImportDruzstev.h"
#include "office/Poradi.h"
#include "office/Umisteni.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"

namespace zlt {

TfrmNastroje* frmNastroje = nullptr;

namespace {

// Where the controls sit, in pixels of the window.
constexpr struct {
    QSize window{728, 666};
    QRect lblZalohy{16, 12, 688, 20};
    QRect btnZalohovat{16, 40, 121, 25};
    QRect btnDruhaSlozka{144, 40, 121, 25};
    QRect lblDruhaSlozka{272, 44, 432, 20};
    QRect gridZalohy{16, 72, 560, 180};
    QRect btnObnovit{584, 72, 121, 25};
    QRect lblDatabaze{584, 104, 121, 116};
    QRect btnDatabaze{584, 227, 121, 25};
    QRect lblDenik{16, 268, 688, 20};
    QRect gridZmeny{16, 292, 688, 200};
    QRect lblVysledky{16, 508, 508, 20};
    QRect chkPublikovat{532, 508, 172, 20};
    QRect btnPoradi{16, 536, 121, 25};
    QRect btnImport{144, 536, 121, 25};
    QRect btnExport{272, 536, 121, 25};
    QRect btnSlozkaExportu{400, 536, 121, 25};
    QRect btnProjekce{528, 536, 121, 25};
    QRect btnDiplomy{16, 568, 121, 25};
    QRect btnUmisteni{144, 568, 121, 25};
    QRect btnDiscipliny{272, 568, 121, 25};
    QRect chkVysledkyNaSiti{16, 604, 150, 20};
    QRect lblAdresa{172, 604, 532, 20};
} kLayout;

// The journal's newest changes shown; older ones stay in the file.
constexpr int kShownChanges = 200;
// The changes a replay question lists before it only counts the rest.
constexpr int kListedChanges = 15;

QString timeText(const QDateTime& time) {
    return time.toString(QStringLiteral("d. M. yyyy H:mm:ss"));
}

// The times are read whole, and an empty list keeps room for one; the other columns share
// what is left.
void fitTimes(QTableWidget& grid) {
    grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid.horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.resizeColumnToContents(0);
    const QString widest = timeText(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    const int margins =
        2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    grid.setColumnWidth(
        0, std::max(grid.columnWidth(0), grid.fontMetrics().horizontalAdvance(widest) + margins));
    grid.resizeRowsToContents();
}

QString describe(const competition::JournalEntry& change) {
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    QString line = change.time.toString(QStringLiteral("H:mm:ss")) + QStringLiteral("  ") +
                   text(change.change) + QStringLiteral("  ") + text(change.table) +
                   QStringLiteral(" ") + text(change.row);
    if (!change.field.empty()) {
        line += QStringLiteral("  %1: %2 → %3")
                    .arg(text(change.field), text(change.before), text(change.after));
    }
    return line;
}

// Right of the other window, else left of it, top edges level, whole on the screen.
QPoint besidePlace(const QRect& other, const QSize& outer, const QRect& screen) {
    const int roomRight = screen.right() - other.right();
    const int roomLeft = other.left() - screen.left();
    int x = roomRight >= roomLeft ? screen.right() + 1 - outer.width() : screen.left();
    if (roomRight >= outer.width()) {
        x = other.right() + 1;
    } else if (roomLeft >= outer.width()) {
        x = other.left() - outer.width();
    }
    const int lowestTop = std::max(screen.top(), screen.bottom() + 1 - outer.height());
    return {x, std::clamp(other.top(), screen.top(), lowestTop)};
}

void showProblem(QLabel& label, const QString& problem, const QString& fine) {
    label.setText(problem.isEmpty() ? fine : problem);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, problem.isEmpty() ? Qt::black : Qt::darkRed);
    label.setPalette(palette);
}

}  // namespace

TfrmNastroje::TfrmNastroje(competition::Competition& competition, reports::Publishing& publishing,
                           web::LiveResults& liveResults)
    : competition_(competition), publishing_(publishing), liveResults_(liveResults) {
    setWindowTitle(QStringLiteral("Nástroje"));
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    buildBackups();
    buildJournal();
    buildResults();
    buildDatabaseChoice();
    buildLiveResults();
    connect(&competition_.backups(), &competition::Backups::statusChanged, this, [this] {
        showBackupStatus();
        showCopies();
    });
    connect(&competition_.journal(), &competition::ChangeJournal::recorded, this,
            [this] { showJournal(); });
    connect(&competition_.journal(), &competition::ChangeJournal::problemChanged, this,
            [this] { showJournal(); });
    for (auto signal : {&reports::Publishing::published, &reports::Publishing::problemChanged}) {
        connect(&publishing_, signal, this, [this] { showPublishing(); });
    }
}

void TfrmNastroje::buildBackups() {
    lblZalohy = new QLabel(this);
    lblZalohy->setGeometry(kLayout.lblZalohy);
    btnZalohovat =
        platform::makeButton(this, QStringLiteral("Zálohovat nyní"), kLayout.btnZalohovat,
                             QStringLiteral("Uloží kopii databáze do složky zalohy a do druhé "
                                            "složky, je-li zvolená"));
    platform::onSignal(btnZalohovat, &QPushButton::clicked, this, [this] { btnZalohovatClick(); });
    btnDruhaSlozka = platform::makeButton(
        this, QStringLiteral("Druhá složka…"), kLayout.btnDruhaSlozka,
        QStringLiteral("Zvolí druhou složku pro zálohy, například na flash disku nebo v síti"));
    platform::onSignal(btnDruhaSlozka, &QPushButton::clicked, this,
                       [this] { btnDruhaSlozkaClick(); });
    lblDruhaSlozka = new QLabel(this);
    lblDruhaSlozka->setGeometry(kLayout.lblDruhaSlozka);
    gridZalohy = platform::makeListGrid(this, kLayout.gridZalohy,
                                        {QStringLiteral("Záloha z"), QStringLiteral("Družstev"),
                                         QStringLiteral("Vyplněných pořadí")});
    gridZalohy->setToolTip(QStringLiteral("Zálohy ve složce zalohy, nejnovější nahoře"));
    btnObnovit = platform::makeButton(
        this, QStringLiteral("Obnovit zálohu"), kLayout.btnObnovit,
        QStringLiteral("Vrátí databázi do stavu vybrané zálohy; současná databáze se "
                       "nejdřív zazálohuje"));
    platform::onSignal(btnObnovit, &QPushButton::clicked, this, [this] { btnObnovitClick(); });
}

void TfrmNastroje::buildJournal() {
    lblDenik = new QLabel(this);
    lblDenik->setGeometry(kLayout.lblDenik);
    gridZmeny = platform::makeListGrid(
        this, kLayout.gridZmeny,
        {QStringLiteral("Čas"), QStringLiteral("Změna"), QStringLiteral("Tabulka"),
         QStringLiteral("Řádek"), QStringLiteral("Pole"), QStringLiteral("Původně"),
         QStringLiteral("Nově")});
    gridZmeny->setToolTip(QStringLiteral("Poslední změny z deníku zmeny.csv, nejnovější nahoře"));
}

void TfrmNastroje::buildResults() {
    lblVysledky = new QLabel(this);
    lblVysledky->setGeometry(kLayout.lblVysledky);
    btnPoradi = platform::makeButton(
        this, QStringLiteral("Spočítat pořadí…"), kLayout.btnPoradi,
        QStringLiteral("Spočítá pořadí ze součtů, ukáže je a zapíše je až na pokyn"));
    platform::onSignal(btnPoradi, &QPushButton::clicked, this, [this] { btnPoradiClick(); });
    btnImport =
        platform::makeButton(this, QStringLiteral("Import družstev…"), kLayout.btnImport,
                             QStringLiteral("Načte jména družstev ze souboru nebo ze schránky"));
    platform::onSignal(btnImport, &QPushButton::clicked, this, [this] { btnImportClick(); });
    btnExport = platform::makeButton(
        this, QStringLiteral("Export výsledků"), kLayout.btnExport,
        QStringLiteral("Zapíše výsledky jako stránky HTML a soubory CSV do složky exportu"));
    platform::onSignal(btnExport, &QPushButton::clicked, this, [this] { btnExportClick(); });
    btnSlozkaExportu = platform::makeButton(
        this, QStringLiteral("Složka exportu…"), kLayout.btnSlozkaExportu,
        QStringLiteral("Zvolí složku pro export, například synchronizovanou složku webu"));
    platform::onSignal(btnSlozkaExportu, &QPushButton::clicked, this,
                       [this] { btnSlozkaExportuClick(); });
    btnProjekce = platform::makeButton(
        this, QStringLiteral("Projekce"), kLayout.btnProjekce,
        QStringLiteral("Ukáže průběžné pořadí na druhé obrazovce nebo projektoru"));
    platform::onSignal(btnProjekce, &QPushButton::clicked, this, [this] { btnProjekceClick(); });
    btnDiplomy =
        platform::makeButton(this, QStringLiteral("Diplomy…"), kLayout.btnDiplomy,
                             QStringLiteral("Vytiskne diplomy umístěným družstvům podle pořadí"));
    platform::onSignal(btnDiplomy, &QPushButton::clicked, this, [this] { btnDiplomyClick(); });
    btnUmisteni = platform::makeButton(
        this, QStringLiteral("Umístění z výsledků…"), kLayout.btnUmisteni,
        QStringLiteral("Spočítá umístění v disciplíně z jejích výsledků, ukáže je a zapíše je "
                       "až na pokyn"));
    platform::onSignal(btnUmisteni, &QPushButton::clicked, this, [this] { btnUmisteniClick(); });
    btnDiscipliny = platform::makeButton(
        this, QStringLiteral("Disciplíny…"), kLayout.btnDiscipliny,
        QStringLiteral("Zvolí, jak se hodnotí výsledky každé disciplíny: čas, vzdálenost, body, "
                       "nebo ručně"));
    platform::onSignal(btnDiscipliny, &QPushButton::clicked, this,
                       [this] { btnDisciplinyClick(); });
    chkPublikovat = new QCheckBox(QStringLiteral("Publikovat automaticky"), this);
    chkPublikovat->setGeometry(kLayout.chkPublikovat);
    chkPublikovat->setToolTip(
        QStringLiteral("Při změnách výsledků přepíše export nejvýše jednou za 30 sekund"));
    chkPublikovat->setChecked(publishing_.automatic());
    platform::onSignal(chkPublikovat, &QCheckBox::clicked, this, [this] { chkPublikovatClick(); });
}

void TfrmNastroje::buildLiveResults() {
    chkVysledkyNaSiti = new QCheckBox(QStringLiteral("Výsledky na síti"), this);
    chkVysledkyNaSiti->setGeometry(kLayout.chkVysledkyNaSiti);
    chkVysledkyNaSiti->setToolTip(
        QStringLiteral("Ukazuje výsledky živě v prohlížečích telefonů na stejné síti (Wi-Fi) "
                       "na adrese vedle; jen ke čtení"));
    platform::onSignal(chkVysledkyNaSiti, &QCheckBox::clicked, this,
                       [this] { chkVysledkyNaSitiClick(); });
    lblAdresa = new QLabel(this);
    lblAdresa->setGeometry(kLayout.lblAdresa);
    lblAdresa->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(&liveResults_, &web::LiveResults::changed, this, [this] { showLiveResults(); });
    showLiveResults();
}

void TfrmNastroje::showLiveResults() {
    const QStringList addresses = liveResults_.addresses();
    showProblem(*lblAdresa, liveResults_.problem(),
                addresses.isEmpty() ? QStringLiteral("Vypnuto") : addresses.constFirst());
    lblAdresa->setToolTip(
        addresses.isEmpty()
            ? QString()
            : QStringLiteral("Tuto adresu otevřete v prohlížeči telefonu připojeného ke stejné "
                             "síti:\n") +
                  addresses.join(QLatin1Char('\n')));
    chkVysledkyNaSiti->setChecked(liveResults_.on());
}

// The box shows what runs: a port that cannot be had leaves it clear, with the reason.
void TfrmNastroje::chkVysledkyNaSitiClick() {
    const bool wanted = chkVysledkyNaSiti->isChecked();
    chkVysledkyNaSiti->setChecked(liveResults_.on());
    liveResults_.setOn(wanted);
}

void TfrmNastroje::buildDatabaseChoice() {
    lblDatabaze = new QLabel(this);
    lblDatabaze->setGeometry(kLayout.lblDatabaze);
    lblDatabaze->setWordWrap(true);
    lblDatabaze->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnDatabaze = platform::makeButton(
        this, QStringLiteral("Databáze…"), kLayout.btnDatabaze,
        QStringLiteral("Zvolí databázi na serveru, kterou sdílí víc stolů rozhodčích"));
    platform::onSignal(btnDatabaze, &QPushButton::clicked, this, [this] { btnDatabazeClick(); });
    showDatabaseChoice();
}

void TfrmNastroje::showDatabaseChoice() {
    const std::string kept = competition::keptDatabaseLocation(std::filesystem::current_path());
    QString text =
        QStringLiteral("Databáze: %1").arg(QString::fromStdString(competition_.databaseLocation()));
    if (kept != competition_.databaseLocation()) {
        text += QStringLiteral("\nOd příštího spuštění: %1")
                    .arg(kept.empty() ? QStringLiteral("soubor této složky")
                                      : QString::fromStdString(kept));
    }
    lblDatabaze->setText(text);
}

// The connection, the copies and the journal all hang on the database chosen at start, so
// a new choice is kept for the next start rather than switched under the operator's hands.
void TfrmNastroje::btnDatabazeClick() {
    const std::optional<QString> location = platform::Dialogs::askText(
        QStringLiteral("Databáze"),
        QStringLiteral("Databáze na serveru (počítač[/port]:cesta nebo počítač:alias),\n"
                       "nebo prázdné pro soubor ZLT04.GDB v této složce:"),
        QString::fromStdString(competition::keptDatabaseLocation(std::filesystem::current_path())));
    if (!location) {
        return;
    }
    competition::keepDatabaseLocation(std::filesystem::current_path(),
                                      location->trimmed().toStdString());
    showDatabaseChoice();
}

void TfrmNastroje::showBeside(const QWidget& operatorWindow) {
    if (!isVisible()) {
        move(besidePlace(operatorWindow.frameGeometry(), kLayout.window,
                         operatorWindow.screen()->availableGeometry()));
    }
    show();
    raise();
    activateWindow();
}

void TfrmNastroje::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showBackupStatus();
    showCopies();
    showJournal();
    showPublishing();
}

void TfrmNastroje::showBackupStatus() {
    const competition::Backups& backups = competition_.backups();
    const QDateTime last = backups.lastCopy();
    const QString fine =
        backups.onServer()
            ? QStringLiteral("Databáze je na serveru: zálohuje ji server, zde se vede jen deník")
        : last.isValid() ? QStringLiteral("Poslední záloha: %1").arg(timeText(last))
                         : QStringLiteral("Zatím žádná záloha");
    showProblem(*lblZalohy, backups.problem(), fine);
    const std::filesystem::path second = backups.secondFolder();
    lblDruhaSlozka->setText(second.empty() ? QStringLiteral("Druhá složka není zvolená")
                                           : QString::fromStdString(second.string()));
}

void TfrmNastroje::showCopies() {
    if (!isVisible()) {
        return;
    }
    copies_.clear();
    for (const competition::BackupCopy& copy : competition_.backups().copies()) {
        copies_.emplace_back(copy, competition_.backups().examine(copy));
    }
    gridZalohy->setRowCount(static_cast<int>(copies_.size()));
    for (int row = 0; row < gridZalohy->rowCount(); ++row) {
        const auto& [copy, state] = copies_[static_cast<std::size_t>(row)];
        platform::setListRow(
            *gridZalohy, row,
            state.flaw.isEmpty()
                ? QStringList{timeText(copy.taken), QString::number(state.contents.teams),
                              QString::number(state.contents.placings)}
                : QStringList{timeText(copy.taken), QStringLiteral("nečitelná"), state.flaw});
    }
    fitTimes(*gridZalohy);
}

void TfrmNastroje::showJournal() {
    const competition::ChangeJournal& journal = competition_.journal();
    showProblem(*lblDenik, journal.problem(),
                QStringLiteral("Deník změn (zmeny.csv), nejnovější nahoře"));
    if (!isVisible()) {
        return;
    }
    const std::vector<competition::JournalEntry> entries = journal.entries();
    const int shown = std::min(static_cast<int>(entries.size()), kShownChanges);
    gridZmeny->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const competition::JournalEntry& entry = entries[entries.size() - 1 - row];
        const auto text = [](const std::string& value) { return QString::fromStdString(value); };
        platform::setListRow(
            *gridZmeny, row,
            {timeText(entry.time), text(entry.change), text(entry.table), text(entry.row),
             text(entry.field), text(entry.before), text(entry.after)});
    }
    fitTimes(*gridZmeny);
}

void TfrmNastroje::showPublishing() {
    const std::filesystem::path folder = publishing_.folder();
    showProblem(
        *lblVysledky, publishing_.problem(),
        folder.empty()
            ? QStringLiteral("Složka exportu není zvolená")
            : QStringLiteral("Export do složky %1").arg(QString::fromStdString(folder.string())));
    chkPublikovat->setChecked(publishing_.automatic());
}

void TfrmNastroje::btnZalohovatClick() {
    competition_.backups().takeCopy();
}

void TfrmNastroje::btnDruhaSlozkaClick() {
    const QString folder =
        platform::Dialogs::chooseFolder(QStringLiteral("Druhá složka pro zálohy"));
    if (!folder.isEmpty()) {
        competition_.backups().setSecondFolder(folder.toStdString());
        competition_.backups().takeCopy();
        showBackupStatus();
    }
}

void TfrmNastroje::btnObnovitClick() {
    const int row = gridZalohy->currentRow();
    if (row < 0 || row >= static_cast<int>(copies_.size())) {
        throw competition::Refusal("Vyberte zálohu, kterou chcete obnovit");
    }
    const auto [copy, state] = copies_[static_cast<std::size_t>(row)];
    if (!state.flaw.isEmpty()) {
        throw competition::BrokenCopy(copy.file, state.flaw);
    }
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Obnovit zálohu"),
        QStringLiteral("Vrátit databázi do stavu zálohy z %1? Současná databáze se nejdřív "
                       "uloží jako další záloha.")
            .arg(timeText(copy.taken)));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    offerReplay(competition_.restore(copy));
    showCopies();
}

void TfrmNastroje::btnPoradiClick() {
    TfrmPoradi dialog(competition_, this);
    dialog.exec();
}

void TfrmNastroje::btnImportClick() {
    TfrmImportDruzstev dialog(competition_, this);
    dialog.exec();
}

bool TfrmNastroje::haveExportFolder() {
    if (publishing_.folder().empty()) {
        btnSlozkaExportuClick();
    }
    return !publishing_.folder().empty();
}

void TfrmNastroje::btnExportClick() {
    if (!haveExportFolder()) {
        return;
    }
    const std::size_t files = publishing_.publishNow().size();
    showPublishing();
    platform::Dialogs::show({QStringLiteral("Export výsledků"),
                             QStringLiteral("Zapsáno souborů: %1 do složky %2.")
                                 .arg(files)
                                 .arg(QString::fromStdString(publishing_.folder().string())),
                             platform::DialogIcon::Information,
                             {platform::DialogButton::Ok},
                             platform::DialogButton::Ok});
}

void TfrmNastroje::btnSlozkaExportuClick() {
    const QString folder =
        platform::Dialogs::chooseFolder(QStringLiteral("Složka exportu výsledků"));
    if (!folder.isEmpty()) {
        publishing_.setFolder(folder.toStdString());
        showPublishing();
    }
}

void TfrmNastroje::btnDiplomyClick() {
    TfrmDiplomy dialog(competition_, this);
    dialog.exec();
}

void TfrmNastroje::btnUmisteniClick() {
    TfrmUmisteni dialog(competition_, this);
    dialog.exec();
}

void TfrmNastroje::btnDisciplinyClick() {
    TfrmDiscipliny dialog(competition_, this);
    dialog.exec();
}

void TfrmNastroje::btnProjekceClick() {
    emit projectorWanted();
}

// Publishing without a folder would have nowhere to go: the box stays clear then.
void TfrmNastroje::chkPublikovatClick() {
    const bool wanted = chkPublikovat->isChecked();
    publishing_.setAutomatic(wanted && haveExportFolder());
    showPublishing();
}

void TfrmNastroje::offerReplay(const std::vector<competition::JournalEntry>& changes) {
    if (changes.empty()) {
        return;
    }
    QStringList lines;
    for (std::size_t i = 0; i < changes.size() && i < kListedChanges; ++i) {
        lines << describe(changes[i]);
    }
    if (changes.size() > kListedChanges) {
        lines << QStringLiteral("… a dalších %1").arg(changes.size() - kListedChanges);
    }
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Změny po záloze"),
        QStringLiteral("Po pořízení zálohy se v databázi změnilo:\n\n%1\n\nProvést tyto změny "
                       "znovu?")
            .arg(lines.join(QLatin1Char('\n'))));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    const std::vector<std::string> skipped = competition_.replay(changes);
    if (!skipped.empty()) {
        QStringList texts;
        for (const std::string& line : skipped) {
            texts << QString::fromStdString(line);
        }
        platform::Dialogs::show({platform::Dialogs::applicationTitle(),
                                 QStringLiteral("Některé změny nešlo provést znovu:\n\n%1")
                                     .arg(texts.join(QLatin1Char('\n'))),
                                 platform::DialogIcon::Warning,
                                 {platform::DialogButton::Ok},
                                 platform::DialogButton::Ok});
    }
}

}  // namespace zlt
