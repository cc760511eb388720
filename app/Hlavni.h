#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

#include "database/Connection.h"
#include "database/DataSource.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "platform/DBGrid.h"
#include "platform/DBNavigator.h"

namespace zlt {

// The main window: the preliminary round's results grid, the column choice, the title
// slide and the commands to the other windows. It owns the only database connection.
class TfrmHlavni : public QWidget {
    Q_OBJECT
public:
    TfrmHlavni();
    ~TfrmHlavni() override;

    // Creation handler: attach the event folder's database and open the results.
    void FormCreate();

    void Timer1Timer();
    void btnFinaleClick();
    void btnTiskClick();
    void btnNastaveniClick();
    void btnKonecClick();
    void DBGrid1KeyDown(int key);
    void DBGrid1TitleClick(int column);
    // cb1Disc to cb6Disc: shows or hides discipline N's result and placing.
    void cbNDiscClick(int discipline);
    void cbDiscClick();

    db::Connection IB_Connection1;
    db::ResultSet IBOQuery1{"IBOQuery1", IB_Connection1, db::preliminaryFields(),
                            "SELECT *  FROM DATAZLT"};
    db::Statement IB_DSQL1{"IB_DSQL1", IB_Connection1, "DELETE FROM DATAZLT"};
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
    QTimer* Timer1;

    // The database file was deleted or moved under the program: a warning, and a copy of
    // what it holds saved to a folder the user chooses.
    void offerLostCopy();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTitle();
    void buildGrid();
    void buildColumnChoice();
    void buildCommands();
};

extern TfrmHlavni* frmHlavni;

}  // namespace zlt
