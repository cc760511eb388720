#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <utility>
#include <vector>

#include "competition/Competition.h"
#include "reports/Publishing.h"
#include "web/LiveResults.h"

namespace zlt {

// The tools window, opened from the main window and left open beside it: the copies of
// the database with their restore, the change journal, and the results: ranks, team
// import and export, the projector, and the results on the venue's network.
class TfrmNastroje : public QWidget {
    Q_OBJECT
public:
    TfrmNastroje(competition::Competition& competition, reports::Publishing& publishing,
                 web::LiveResults& liveResults);

    // Shows the window in front, opening it beside the operator's window so that it covers
    // none of its grid; where the screen has no room beside it, at the screen's edge on the
    // side with more room. A window already open stays where the operator put it.
    void showBeside(const QWidget& operatorWindow);

    void btnZalohovatClick();
    void btnDruhaSlozkaClick();
    void btnObnovitClick();
    void btnPoradiClick();
    void btnImportClick();
    void btnExportClick();
    void btnSlozkaExportuClick();
    void btnProjekceClick();
    void btnDiplomyClick();
    void btnUmisteniClick();
    void btnDisciplinyClick();
    void chkPublikovatClick();
    void btnDatabazeClick();
    void chkVysledkyNaSitiClick();

signals:
    // "Projekce": the projector view, shown beside the operator's window.
    void projectorWanted();

public:
    QLabel* lblZalohy;
    QPushButton* btnZalohovat;
    QPushButton* btnDruhaSlozka;
    QLabel* lblDruhaSlozka;
    QTableWidget* gridZalohy;
    QPushButton* btnObnovit;
    QLabel* lblDenik;
    QTableWidget* gridZmeny;
    QLabel* lblVysledky;
    QPushButton* btnPoradi;
    QPushButton* btnImport;
    QPushButton* btnExport;
    QPushButton* btnSlozkaExportu;
    QPushButton* btnProjekce;
    QPushButton* btnDiplomy;
    QPushButton* btnUmisteni;
    QPushButton* btnDiscipliny;
    QCheckBox* chkPublikovat;
    QLabel* lblDatabaze;
    QPushButton* btnDatabaze;
    QCheckBox* chkVysledkyNaSiti;
    QLabel* lblAdresa;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildBackups();
    void buildJournal();
    void buildResults();
    void buildDatabaseChoice();
    void showDatabaseChoice();
    void showBackupStatus();
    void showCopies();
    void showJournal();
    void showPublishing();
    void buildLiveResults();
    void showLiveResults();
    // The export folder, asked for when none is chosen yet; false when none is chosen.
    bool haveExportFolder();
    // After a restore: offers the changes made since the copy, and makes them on Yes.
    void offerReplay(const std::vector<competition::JournalEntry>& changes);

    competition::Competition& competition_;
    reports::Publishing& publishing_;
    web::LiveResults& liveResults_;
    // The copies listed, each as it was proven when listed.
    std::vector<std::pair<competition::BackupCopy, competition::CopyState>> copies_;
};

extern TfrmNastroje* frmNastroje;

}  // namespace zlt
