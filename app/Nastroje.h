#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <vector>

#include "competition/Competition.h"

namespace zlt {

// The tools window, opened from the main window and left open beside it: the copies of
// the database with their restore, and the change journal.
class TfrmNastroje : public QWidget {
    Q_OBJECT
public:
    explicit TfrmNastroje(competition::Competition& competition);

    void btnZalohovatClick();
    void btnDruhaSlozkaClick();
    void btnObnovitClick();

    QLabel* lblZalohy;
    QPushButton* btnZalohovat;
    QPushButton* btnDruhaSlozka;
    QLabel* lblDruhaSlozka;
    QTableWidget* gridZalohy;
    QPushButton* btnObnovit;
    QLabel* lblDenik;
    QTableWidget* gridZmeny;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildBackups();
    void buildJournal();
    void showBackupStatus();
    void showCopies();
    void showJournal();
    // After a restore: offers the changes made since the copy, and makes them on Yes.
    void offerReplay(const std::vector<competition::JournalEntry>& changes);

    competition::Competition& competition_;
    std::vector<competition::BackupCopy> copies_;
};

extern TfrmNastroje* frmNastroje;

}  // namespace zlt
