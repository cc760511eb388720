#include "finals/Finale.h"

#include <QCloseEvent>
#include <array>

#include "competition/OtherTables.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Picture.h"
#include "platform/RoundGrid.h"
#include "platform/SystemColors.h"
#include "platform/WindowGeometry.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/Preview.h"
#include "reports/TiskFDisc.h"

namespace zlt {

TfrmFinale* frmFinale = nullptr;

namespace {

const int kStartingValueColumn = *db::finalsFields().positionOf("FPOCATEK");
constexpr int kStartingValueWidth = 36;

// Where the controls sit, in pixels of the window or of their panel. A point places a
// control that takes its natural size.
constexpr struct {
    QSize window{1060, 584};
    QRect Label1{144, 56, 439, 37};
    QPoint lblFobec{248, 120};
    QRect Image1{768, 24, 257, 249};
    QRect DBGridF{16, 168, 705, 345};
    QRect DBNavigator1{256, 520, 189, 25};
    QRect Panel1{792, 296, 201, 217};
    std::array<QRect, 3> btnTiskN{{{56, 12, 99, 25}, {56, 42, 99, 25}, {56, 72, 99, 25}}};
    QRect btnTiskCelkem{56, 102, 99, 25};
    QRect Panel2{808, 432, 169, 65};
    QRect rbVynulovani{24, 8, 137, 17};
    QRect rbPokracovani{24, 40, 137, 17};
    QRect btnZpet{576, 520, 75, 25};
    QRect btn{56, 520, 97, 25};
    QRect lblKontrolaF{664, 524, 380, 17};
    // Over the grid's blank rows, as in the main window: nothing is free under the navigator.
    QRect lblJenCteniF{38, 198, 670, 40};
} kLayout;

}  // namespace

TfrmFinale::TfrmFinale(competition::Competition& competition)
    : IBOQueryF(competition.finals()),
      IB_DSQLF(competition.deleteFinals()),
      competition_(competition) {
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
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
    // The place line shows the details as last confirmed.
    const competition::EventDetails& details = competition_.details();
    connect(&details, &competition::EventDetails::confirmed, this, [this, &details] {
        lblFobec->setText(details.place());
        lblFobec->adjustSize();
    });
    followCheck();
    followAccess();
}

void TfrmFinale::followAccess() {
    platform::followAccess(*lblJenCteniF, *DBGridF, competition_.access(), this, [this] {
        setWindowTitle(QStringLiteral("Finále") + competition_.access().captionSuffix());
    });
}

void TfrmFinale::followCheck() {
    platform::followCheck(*lblKontrolaF, competition_.check(), true, this,
                          [this] { lblKontrolaFClick(); });
}

void TfrmFinale::buildHeading() {
    Label1 = new QLabel(QStringLiteral("FINÁLE ZELTORIA"), this);
    platform::useDesignFont(*Label1, 24);
    Label1->setGeometry(kLayout.Label1);
    lblFobec = new QLabel(QString(17, QLatin1Char(' ')), this);
    platform::useDesignFont(*lblFobec, 14);
    lblFobec->move(kLayout.lblFobec);
    Image1 = platform::makePicture(this, kLayout.Image1);
    platform::showPicture(*Image1, platform::builtInPicture(":/zlt/finals-emblem.jpg"));
}

void TfrmFinale::buildGrid() {
    const int byDefault = platform::DBGrid::kDefaultWidth;
    const platform::RoundGrid made =
        platform::makeRoundGrid(this, DataSourceF,
                                {kLayout.DBGridF,
                                 {byDefault, byDefault, 74, 48, 74, 48, 74, 48, 48, 48},
                                 kLayout.DBNavigator1},
                                {[this](int key) { DBGridFKeyDown(key); },
                                 [this](int column) { DBGridFTitleClick(column); }});
    DBGridF = made.grid;
    DBNavigator1 = made.navigator;
    DBGridF->setColumnVisible(kStartingValueColumn, false);
    DBGridF->setTitleColor(kStartingValueColumn, platform::buttonShadow());
}

void TfrmFinale::buildPrintPanel() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(kLayout.Panel1);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel1, platform::silver());
    QPushButton** const disciplines[] = {&btnTisk1, &btnTisk2, &btnTisk3};
    for (int i = 0; i < 3; ++i) {
        *disciplines[i] = platform::makeButton(
            Panel1, QStringLiteral("Tisk %1.disciplíny").arg(i + 1), kLayout.btnTiskN[i],
            QStringLiteral("Vytisknout %1.finálovou disciplínu").arg(i + 1));
        platform::onSignal(*disciplines[i], &QPushButton::clicked, this,
                           [this, i] { btnTiskNClick(i + 1); });
    }
    btnTiskCelkem =
        platform::makeButton(Panel1, QStringLiteral("Tisk Finále"), kLayout.btnTiskCelkem,
                             QStringLiteral("Vytisknout finálové pořadí"));
    platform::onSignal(btnTiskCelkem, &QPushButton::clicked, this,
                       [this] { btnTiskCelkemClick(); });
}

void TfrmFinale::buildModePanel() {
    Panel2 = new QFrame(this);
    Panel2->setGeometry(kLayout.Panel2);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel2, platform::silver());
    rbVynulovani = new QRadioButton(QStringLiteral("Finále s vynulováním"), Panel2);
    rbVynulovani->setGeometry(kLayout.rbVynulovani);
    rbVynulovani->setToolTip(QStringLiteral("Družstvům se nepočítají výsledky ze základní části"));
    rbVynulovani->setChecked(true);
    rbPokracovani = new QRadioButton(QStringLiteral("Finále s pokračováním"), Panel2);
    rbPokracovani->setGeometry(kLayout.rbPokracovani);
    rbPokracovani->setToolTip(
        QStringLiteral("Družstvům ve finále se počítají výsledky ze základní části"));
    // A mode handler runs only when its button becomes checked, never when it is cleared
    // or clicked while already checked.
    platform::onSignal(rbVynulovani, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            rbVynulovaniClick();
    });
    platform::onSignal(rbPokracovani, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            rbPokracovaniClick();
    });
}

void TfrmFinale::buildCommands() {
    btnZpet = platform::makeButton(this, QStringLiteral("Zpět"), kLayout.btnZpet,
                                   QStringLiteral("Přepnout do základní části"));
    platform::onSignal(btnZpet, &QPushButton::clicked, this, [this] { btnZpetClick(); });
    btn = platform::makeButton(this, QStringLiteral("Celkový tisk ZLT"), kLayout.btn);
    platform::onSignal(btn, &QPushButton::clicked, this, [this] { btnClick(); });
    lblKontrolaF = new platform::CheckLine(this, kLayout.lblKontrolaF);
    lblJenCteniF = platform::makeWarningLine(this, kLayout.lblJenCteniF);
}

// The grid and navigator listen to the data source, a member that dies before the base
// class would delete them.
TfrmFinale::~TfrmFinale() {
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TfrmFinale::FormCreate() {
    competition_.openFinals();
}

void TfrmFinale::btnZpetClick() {
    hide();
    emit backToMainWindow();
}

void TfrmFinale::closeEvent(QCloseEvent* event) {
    // Closing the finals window only hands back to the main window.
    event->accept();
    emit backToMainWindow();
}

void TfrmFinale::DBGridFKeyDown(int key) {
    if (platform::isEnter(key)) {
        competition_.recomputeTotal(IBOQueryF);
    }
}

void TfrmFinale::DBGridFTitleClick(int column) {
    competition_.sortByTitle(IBOQueryF, column);
    DBGridF->highlightSortColumn(column, db::finalsFields().size());
}

void TfrmFinale::lblKontrolaFClick() {
    const std::vector<competition::Finding> findings = competition_.check().findingsOf(true);
    if (const competition::Finding* finding =
            platform::FindingsList::choose(this, QStringLiteral("Kontrola finále"), findings)) {
        DBGridF->goToField(finding->row, finding->field);
    }
}

void TfrmFinale::rbVynulovaniClick() {
    DBGridF->setColumnVisible(kStartingValueColumn, false);
    competition_.finalsMode().set(competition::FinalsMode::Vynulovani);
}

void TfrmFinale::rbPokracovaniClick() {
    DBGridF->setColumnVisible(kStartingValueColumn, true);
    DBGridF->setColumnWidth(kStartingValueColumn, kStartingValueWidth);
    competition_.finalsMode().set(competition::FinalsMode::Pokracovani);
}

void TfrmFinale::btnTiskNClick(int discipline) {
    frmTiskFDisc->prepare(competition_.details(), discipline);
    reports::previewReport(frmTiskFDisc->QuickRep1);
}

void TfrmFinale::btnTiskCelkemClick() {
    frmZLTFinaleTisk->prepare(competition_.details());
    reports::previewReport(frmZLTFinaleTisk->QuickRep1);
}

void TfrmFinale::btnClick() {
    if (!platform::Dialogs::confirmBesideOtherTables(
            QStringLiteral("Celkový tisk ZLT"),
            competition::otherTables(competition_.connection()))) {
        return;
    }
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Celkový tisk ZLT"),
        QStringLiteral("Opravdu chcete zobrazit celkové pořadí?  (zvol pouze po skončení všech "
                       "disciplín)"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    competition_.mergeFinalsIntoStandings();
    frmCelkovyTisk->prepare(competition_.details());
    reports::previewReport(frmCelkovyTisk->QuickRep1);
}

}  // namespace zlt
