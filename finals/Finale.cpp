#include "finals/Finale.h"

#include <QCloseEvent>

#include "app/Hlavni.h"
#include "app/RowTotal.h"
#include "app/TitleSort.h"
#include "platform/Guard.h"
#include "platform/SystemColors.h"
#include "platform/WindowGeometry.h"

namespace zlt {

TfrmFinale* frmFinale = nullptr;

namespace {

constexpr int kStartingValueColumn = 1;
constexpr int kColumns = 10;

}  // namespace

TfrmFinale::TfrmFinale()
    : IBOQueryF("IBOQueryF", frmHlavni->IB_Connection1, db::finalsFields(),
                "SELECT * FROM DATAZLTF"),
      IB_DSQLF("IB_DSQLF", frmHlavni->IB_Connection1, "DELETE FROM DATAZLTF") {
    setWindowTitle(QStringLiteral("Finále"));
    platform::placeWindow(*this, 1060, 584);
    QPalette background = palette();
    background.setColor(QPalette::Window, platform::silver());
    setPalette(background);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("FINÁLE ZELTORIA"), this);
    platform::useDesignFont(*Label1, 24);
    Label1->setGeometry(144, 56, 439, 37);
    lblFobec = new QLabel(QString(17, QLatin1Char(' ')), this);
    platform::useDesignFont(*lblFobec, 14);
    lblFobec->move(248, 120);

    DBGridF = new platform::DBGrid(DataSourceF, this);
    DBGridF->setGeometry(16, 168, 705, 345);
    const int byDefault = platform::DBGrid::kDefaultWidth;
    DBGridF->setColumnWidths({byDefault, byDefault, 74, 48, 74, 48, 74, 48, 48, 48});
    for (int column = 0; column < kColumns; ++column) {
        DBGridF->setColumnColor(column, platform::windowColor());
    }
    DBGridF->setColumnVisible(kStartingValueColumn, false);
    DBGridF->onKeyDown = [this](int key) { DBGridFKeyDown(key); };
    connect(DBGridF, &platform::DBGrid::titleClicked, this,
            [this](int column) { platform::runGuarded([&] { DBGridFTitleClick(column); }); });

    DBNavigator1 = new platform::DBNavigator(DataSourceF, this);
    DBNavigator1->setGeometry(256, 520, 189, 25);
    using Nav = platform::DBNavigator;
    DBNavigator1->setVisibleButtons(
        {Nav::First, Nav::Prior, Nav::Next, Nav::Last, Nav::Insert, Nav::Delete, Nav::Cancel});

    btnZpet = new QPushButton(QStringLiteral("Zpět"), this);
    btnZpet->setGeometry(576, 520, 75, 25);
    btnZpet->setToolTip(QStringLiteral("Přepnout do základní části"));
    connect(btnZpet, &QPushButton::clicked, this,
            [this] { platform::runGuarded([this] { btnZpetClick(); }); });
}

// The grid and navigator listen to the data source, a member that dies before the base
// class would delete them.
TfrmFinale::~TfrmFinale() {
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TfrmFinale::FormCreate() {
    IBOQueryF.open();
}

void TfrmFinale::btnZpetClick() {
    hide();
    frmHlavni->show();
}

void TfrmFinale::closeEvent(QCloseEvent* event) {
    // Closing the finals window only hands back to the main window.
    event->accept();
    frmHlavni->show();
}

void TfrmFinale::DBGridFKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        app::recomputeRowTotal(IBOQueryF, {3, 5, 7, 1}, "FCELKEM");
    }
}

void TfrmFinale::DBGridFTitleClick(int column) {
    app::sortByTitle(*DBGridF, "DATAZLTF", column, kColumns);
}

}  // namespace zlt
