#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "database/DataSource.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "platform/DBGrid.h"
#include "platform/DBNavigator.h"

namespace zlt {

// The finals window: the finalists' results on the main window's connection.
class TfrmFinale : public QWidget {
    Q_OBJECT
public:
    TfrmFinale();
    ~TfrmFinale() override;

    // Creation handler: open the finals results.
    void FormCreate();
    void btnZpetClick();
    void DBGridFKeyDown(int key);
    void DBGridFTitleClick(int column);

    db::ResultSet IBOQueryF;
    db::Statement IB_DSQLF;
    db::DataSource DataSourceF{&IBOQueryF};

    QLabel* Label1;
    QLabel* lblFobec;
    platform::DBGrid* DBGridF;
    platform::DBNavigator* DBNavigator1;
    QPushButton* btnZpet;

protected:
    void closeEvent(QCloseEvent* event) override;
};

extern TfrmFinale* frmFinale;

}  // namespace zlt
