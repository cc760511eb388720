#include "finals/Finale.h"

#include <QCloseEvent>

#include "app/Hlavni.h"
#include "app/RowTotal.h"
#include "app/SharedState.h"
#include "app/TeamNavigator.h"
#include "app/TitleSort.h"
#include "finals/StandingsMerge.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Picture.h"
#include "platform/SystemColors.h"
#include "platform/WindowGeometry.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/Preview.h"
#include "reports/TiskFDisc.h"
#include "settings/Nastaveni.h"

namespace zlt {

TfrmFinale* frmFinale = nullptr;

namespace {

constexpr int kStartingValueColumn = 1;
constexpr int kStartingValueWidth = 36;
constexpr int kColumns = 10;

QPushButton* button(QWidget* parent, const char* caption, const char* hint, const QRect& box) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setGeometry(box);
    if (hint != nullptr) {
        button->setToolTip(QString::fromUtf8(hint));
    }
    return button;
}

// Runs a handler of this window on a click, with errors shown to the user.
template <typename Control, typename Signal>
void onSignal(Control* control, Signal signal, TfrmFinale* window, void (TfrmFinale::*handler)()) {
    QObject::connect(control, signal, window,
                     [window, handler] { platform::runGuarded([&] { (window->*handler)(); }); });
}

}  // namespace

TfrmFinale::TfrmFinale()
    : IBOQueryF("IBOQueryF", frmHlavni->IB_Connection1, db::finalsFields(),
                "SELECT * FROM DATAZLTF"),
      IB_DSQLF("IB_DSQLF", frmHlavni->IB_Connection1, "DELETE FROM DATAZLTF") {
    setWindowTitle(QStringLiteral("Finále"));
    platform::placeWindow(*this, 1060, 584);
    platform::setBackground(*this, platform::silver());
    buildHeading();
    buildGrid();
    buildPrintPanel();
    buildModePanel();
    buildCommands();
    setTabOrder(DBGridF, btnTisk1);
    setTabOrder(btnTisk1, btnTisk2);
    setTabOrder(btnTisk2, btnTisk3);
    setTabOrder(btnTisk3, btnTiskCelkem);
    setTabOrder(btnTiskCelkem, rbVynulovani);
    setTabOrder(rbVynulovani, rbPokracovani);
    setTabOrder(rbPokracovani, DBNavigator1);
    setTabOrder(DBNavigator1, btnZpet);
    setTabOrder(btnZpet, btn);
}

void TfrmFinale::buildHeading() {
    Label1 = new QLabel(QStringLiteral("FINÁLE ZELTORIA"), this);
    platform::useDesignFont(*Label1, 24);
    Label1->setGeometry(144, 56, 439, 37);
    lblFobec = new QLabel(QString(17, QLatin1Char(' ')), this);
    platform::useDesignFont(*lblFobec, 14);
    lblFobec->move(248, 120);
    Image1 = platform::makePicture(this, {768, 24, 257, 249});
    platform::showPicture(*Image1, platform::builtInPicture(":/zlt/finals-emblem.jpg"));
}

void TfrmFinale::buildGrid() {
    DBGridF = new platform::DBGrid(DataSourceF, this);
    DBGridF->setGeometry(16, 168, 705, 345);
    const int byDefault = platform::DBGrid::kDefaultWidth;
    DBGridF->setColumnWidths({byDefault, byDefault, 74, 48, 74, 48, 74, 48, 48, 48});
    for (int column = 0; column < kColumns; ++column) {
        DBGridF->setColumnColor(column, platform::windowColor());
    }
    DBGridF->setColumnVisible(kStartingValueColumn, false);
    DBGridF->setTitleColor(kStartingValueColumn, platform::buttonShadow());
    DBGridF->onKeyDown = [this](int key) { DBGridFKeyDown(key); };
    connect(DBGridF, &platform::DBGrid::titleClicked, this,
            [this](int column) { platform::runGuarded([&] { DBGridFTitleClick(column); }); });

    DBNavigator1 = new platform::DBNavigator(DataSourceF, this);
    DBNavigator1->setGeometry(256, 520, 189, 25);
    app::setUpTeamNavigator(*DBNavigator1);
}

void TfrmFinale::buildPrintPanel() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(792, 296, 201, 217);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel1, platform::silver());
    btnTisk1 =
        button(Panel1, "Tisk 1.disciplíny", "Vytisknout 1.finálovou disciplínu", {56, 12, 99, 25});
    btnTisk2 =
        button(Panel1, "Tisk 2.disciplíny", "Vytisknout 2.finálovou disciplínu", {56, 42, 99, 25});
    btnTisk3 =
        button(Panel1, "Tisk 3.disciplíny", "Vytisknout 3.finálovou disciplínu", {56, 72, 99, 25});
    btnTiskCelkem = button(Panel1, "Tisk Finále", "Vytisknout finálové pořadí", {56, 102, 99, 25});
    const QPushButton* const disciplines[] = {btnTisk1, btnTisk2, btnTisk3};
    for (int i = 0; i < 3; ++i) {
        connect(disciplines[i], &QPushButton::clicked, this,
                [this, i] { platform::runGuarded([&] { btnTiskNClick(i + 1); }); });
    }
    onSignal(btnTiskCelkem, &QPushButton::clicked, this, &TfrmFinale::btnTiskCelkemClick);
}

void TfrmFinale::buildModePanel() {
    Panel2 = new QFrame(this);
    Panel2->setGeometry(808, 432, 169, 65);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel2, platform::silver());
    rbVynulovani = new QRadioButton(QStringLiteral("Finále s vynulováním"), Panel2);
    rbVynulovani->setGeometry(24, 8, 137, 17);
    rbVynulovani->setToolTip(QStringLiteral("Družstvům se nepočítají výsledky ze základní části"));
    rbVynulovani->setChecked(true);
    rbPokracovani = new QRadioButton(QStringLiteral("Finále s pokračováním"), Panel2);
    rbPokracovani->setGeometry(24, 40, 129, 17);
    rbPokracovani->setToolTip(
        QStringLiteral("Družstvům ve finále se počítají výsledky ze základní části"));
    // A mode handler runs only when its button becomes checked, never when it is cleared
    // or clicked while already checked.
    connect(rbVynulovani, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            platform::runGuarded([this] { rbVynulovaniClick(); });
    });
    connect(rbPokracovani, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            platform::runGuarded([this] { rbPokracovaniClick(); });
    });
}

void TfrmFinale::buildCommands() {
    btnZpet = button(this, "Zpět", "Přepnout do základní části", {576, 520, 75, 25});
    onSignal(btnZpet, &QPushButton::clicked, this, &TfrmFinale::btnZpetClick);
    btn = button(this, "Celkový tisk ZLT", nullptr, {56, 520, 97, 25});
    onSignal(btn, &QPushButton::clicked, this, &TfrmFinale::btnClick);
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

void TfrmFinale::rbVynulovaniClick() {
    DBGridF->setColumnVisible(kStartingValueColumn, false);
    frmZLTFinaleTisk->showStartingValues(false);
}

void TfrmFinale::rbPokracovaniClick() {
    DBGridF->setColumnVisible(kStartingValueColumn, true);
    DBGridF->setColumnWidth(kStartingValueColumn, kStartingValueWidth);
    frmZLTFinaleTisk->showStartingValues(true);
}

void TfrmFinale::btnTiskNClick(int discipline) {
    frmTiskFDisc->chooseDiscipline(discipline, frmNastaveni->EditNFD[discipline - 1]->text(),
                                   frmNastaveni->EditCislo->text());
    reports::previewReport(frmTiskFDisc->QuickRep1);
}

void TfrmFinale::btnTiskCelkemClick() {
    frmZLTFinaleTisk->setHeadings(Potvrzeno, frmNastaveni->EditCislo->text(),
                                  frmNastaveni->EditObec->text());
    reports::previewReport(frmZLTFinaleTisk->QuickRep1);
}

void TfrmFinale::btnClick() {
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Celkový tisk ZLT"),
        QStringLiteral("Opravdu chcete zobrazit celkové pořadí?  (zvol pouze po skončení všech "
                       "disciplín)"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    finals::mergeFinalsIntoStandings(frmHlavni->IBOQuery1, IBOQueryF);
    frmCelkovyTisk->setHeadings(Potvrzeno, frmNastaveni->EditCislo->text(),
                                frmNastaveni->EditObec->text());
    reports::previewReport(frmCelkovyTisk->QuickRep1);
}

}  // namespace zlt
