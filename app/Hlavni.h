#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "competition/Competition.h"
#include "database/DataSource.h"
#include "platform/CheckLine.h"
#include "platform/DBGrid.h"
#include "platform/DBNavigator.h"

namespace zlt {

// The main window: the preliminary round's results grid, the column choice, the title
// slide and the commands to the other windows.
class TfrmHlavni : public QWidget {
    Q_OBJECT
public:
    explicit TfrmHlavni(competition::Competition& competition);
    ~TfrmHlavni() override;

    // Creation handler: attach the event folder's database and open the results.
    void FormCreate();

    void Timer1Timer();
    void btnFinaleClick();
    void btnTiskClick();
    void btnNastaveniClick();
    void btnKonecClick();
    void btnNastrojeClick();
    void DBGrid1KeyDown(int key);
    void DBGrid1TitleClick(int column);
    // cb1Disc to cb6Disc: shows or hides discipline N's result and placing.
    void cbNDiscClick(int discipline);
    void cbDiscClick();

    db::Connection& IB_Connection1;
    db::ResultSet& IBOQuery1;
    db::Statement& IB_DSQL1;
    db::DataSource DataSource1{&IBOQuery1};

    QLabel* Label1;
    QLabel* lblObec;
    QLabel* Image1;
    QLabel* Image2;
    platform::DBGrid* DBGrid1;
    QFrame* Panel1;
    QLabel* Label2;
    std::array<QCheckBox*, 6> cbNDisc;  // cb1Disc to cb6Disc
    QCheckBox* cbDisc;
    platform::DBNavigator* DBNavigator1;
    QFrame* Bevel1;
    QPushButton* btnFinale;
    QPushButton* btnTisk;
    QPushButton* btnNastaveni;
    QPushButton* btnKonec;
    // Beyond the event's own commands: the tools window, and a line that tells when a copy
    // of the database or the change journal could not be written.
    QPushButton* btnNastroje;
    QLabel* lblZaloha;
    QLabel* lblDatabaze;
    // Under the grid, from the moment the database file was deleted or moved under the
    // program until it ends: that it happened, and where the database lives now.
    QLabel* lblZtrata;
    // Over the grid's blank rows, while this run may not write the database: why, and who
    // holds it or may write it.
    QLabel* lblJenCteni;
    // Above the navigator, while the check of the preliminary round finds anything: how
    // many findings and the first; a click lists them all.
    platform::CheckLine* lblKontrola;
    QTimer* Timer1;

    // The database file was deleted or moved under the program: a warning, and a copy of
    // what it holds saved to a folder the user chooses, which the program then works on.
    void offerLostCopy();
    // The preliminary round's findings listed; the one chosen is shown in the grid.
    void lblKontrolaClick();

signals:
    // "Nástroje": the tools window, opened beside this one.
    void toolsWanted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void followEventDetails();
    void followSafekeeping();
    void followDatabase();
    void followLostDatabase();
    void followCheck();
    void followAccess();
    // The caption as the event's details set it, with what this run may not do after it.
    void showCaption();
    void goToFinding(const competition::Finding& finding);
    void buildTitle();
    void buildGrid();
    void buildColumnChoice();
    void buildCommands();

    competition::Competition& competition_;
    QString caption_ = QStringLiteral("Zeltoria ");
};

extern TfrmHlavni* frmHlavni;

}  // namespace zlt
