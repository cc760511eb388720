#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "competition/Competition.h"
#include "database/DataSource.h"
#include "platform/CheckLine.h"
#include "platform/DBGrid.h"
#include "platform/DBNavigator.h"

namespace zlt {

// The finals window: the finalists' results, the finals mode and the finals print
// commands.
class TfrmFinale : public QWidget {
    Q_OBJECT
public:
    explicit TfrmFinale(competition::Competition& competition);
    ~TfrmFinale() override;

    // Creation handler: open the finals results.
    void FormCreate();
    void btnZpetClick();
    void DBGridFKeyDown(int key);
    void DBGridFTitleClick(int column);
    void rbVynulovaniClick();
    void rbPokracovaniClick();
    // btnTisk1 to btnTisk3: the results sheet of final discipline 1 to 3.
    void btnTiskNClick(int discipline);
    void btnTiskCelkemClick();
    // "Celkový tisk ZLT": the overall standings merge, then its sheet.
    void btnClick();

    db::ResultSet& IBOQueryF;
    db::Statement& IB_DSQLF;
    db::DataSource DataSourceF{&IBOQueryF};

    QLabel* Label1;
    QLabel* lblFobec;
    QLabel* Image1;
    platform::DBGrid* DBGridF;
    QFrame* Panel1;
    QPushButton* btnTisk1;
    QPushButton* btnTisk2;
    QPushButton* btnTisk3;
    QPushButton* btnTiskCelkem;
    QFrame* Panel2;
    QRadioButton* rbVynulovani;
    QRadioButton* rbPokracovani;
    platform::DBNavigator* DBNavigator1;
    QPushButton* btnZpet;
    QPushButton* btn;
    // Beside "Zpět", while the check of the finals finds anything: how many findings and
    // the first; a click lists them all.
    platform::CheckLine* lblKontrolaF;
    // Over the grid's blank rows, while this run may not write the database: why.
    QLabel* lblJenCteniF;

    // The finals' findings listed; the one chosen is shown in the grid.
    void lblKontrolaFClick();

signals:
    // "Zpět" or the close box: the main window takes over.
    void backToMainWindow();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildHeading();
    void buildGrid();
    void buildPrintPanel();
    void buildModePanel();
    void buildCommands();
    void followCheck();
    void followAccess();

    competition::Competition& competition_;
};

extern TfrmFinale* frmFinale;

}  // namespace zlt
