#include "app/Hlavni.h"

#include <QApplication>
#include <QCloseEvent>
#include <array>
#include <filesystem>

#include "competition/EventFiles.h"
#include "database/DatabaseLocation.h"
#include "finals/Finale.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Picture.h"
#include "platform/RoundGrid.h"
#include "platform/SystemColors.h"
#include "platform/WindowGeometry.h"
#include "reports/Volba.h"
#include "settings/Nastaveni.h"

namespace zlt {

TfrmHlavni* frmHlavni = nullptr;

namespace {

// The grid's columns as the operator sees them: widths in pixels or the default rule.
const std::vector<int> kColumnWidths = {35,
                                        platform::DBGrid::kDefaultWidth,
                                        platform::DBGrid::kDefaultWidth,
                                        73,
                                        45,
                                        74,
                                        47,
                                        74,
                                        46,
                                        73,
                                        46,
                                        73,
                                        45,
                                        73,
                                        46,
                                        48,
                                        46,
                                        platform::DBGrid::kDefaultWidth};
const int kHiddenTotalColumn = *db::preliminaryFields().positionOf("CELKEMF");
// Every column but the hidden one takes part in the sort highlight.
const int kColouredColumns = kHiddenTotalColumn;
// The result and placing columns of discipline 1 to 6.
int resultColumn(int discipline) {
    return *db::preliminaryFields().positionOf("DISCIPLINA" + std::to_string(discipline));
}
int placingColumn(int discipline) {
    return *db::preliminaryFields().positionOf("BOD" + std::to_string(discipline));
}

// Where the controls sit, in pixels of the window or of their panel. A point places a
// control that takes its natural size.
constexpr struct {
    QSize window{996, 751};
    QRect Label1{328, 9, 327, 37};
    QRect lblObec{408, 88, 70, 24};
    QRect Image1{32, 0, 185, 105};
    QRect Image2{816, 0, 161, 153};
    QRect DBGrid1{8, 120, 780, 585};
    QRect DBNavigator1{800, 468, 175, 25};
    QRect Panel1{800, 184, 177, 265};
    QPoint Label2{32, 16};
    std::array<QPoint, 6> cbNDisc{{{40, 40}, {40, 72}, {40, 104}, {40, 136}, {40, 168}, {40, 200}}};
    QPoint cbDisc{40, 234};
    QRect Bevel1{800, 512, 177, 169};
    QRect btnFinale{852, 528, 75, 25};
    QRect btnTisk{852, 565, 75, 25};
    QRect btnNastaveni{852, 603, 75, 25};
    QRect btnKonec{852, 640, 75, 25};
    QRect btnNastroje{852, 688, 75, 25};
    QRect lblZaloha{800, 495, 177, 16};
    QRect lblDatabaze{800, 160, 177, 20};
    QRect lblZtrata{224, 48, 576, 38};
    QRect lblKontrola{800, 450, 177, 17};
    // Over the grid's blank rows: while it shows, the rows were never opened, and the only
    // free strip under the navigator is too narrow for its sentence.
    QRect lblJenCteni{30, 150, 740, 40};
} kLayout;

}  // namespace

TfrmHlavni::TfrmHlavni(competition::Competition& competition)
    : IB_Connection1(competition.connection()),
      IBOQuery1(competition.preliminary()),
      IB_DSQL1(competition.deletePreliminary()),
      competition_(competition) {
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    platform::setBackground(*this, platform::silver());
    buildTitle();
    buildGrid();
    buildColumnChoice();
    buildCommands();
    setTabOrder(DBGrid1, cbNDisc[0]);
    for (int i = 0; i + 1 < 6; ++i) {
        setTabOrder(cbNDisc[i], cbNDisc[i + 1]);
    }
    setTabOrder(cbNDisc[5], cbDisc);
    setTabOrder(cbDisc, btnKonec);
    setTabOrder(btnKonec, btnTisk);
    setTabOrder(btnTisk, btnFinale);
    setTabOrder(btnFinale, btnNastaveni);
    setTabOrder(btnNastaveni, btnNastroje);
    followEventDetails();
    followSafekeeping();
    followDatabase();
    followLostDatabase();
    followCheck();
    followAccess();
}

void TfrmHlavni::followAccess() {
    platform::followAccess(*lblJenCteni, *DBGrid1, competition_.access(), this,
                           [this] { showCaption(); });
}

void TfrmHlavni::showCaption() {
    setWindowTitle(caption_ + competition_.access().captionSuffix());
}

void TfrmHlavni::followCheck() {
    platform::followCheck(*lblKontrola, competition_.check(), false, this,
                          [this] { lblKontrolaClick(); });
}

void TfrmHlavni::followLostDatabase() {
    const competition::LostDatabase& lost = competition_.lostDatabase();
    connect(&lost, &competition::LostDatabase::changed, this, [this, &lost] {
        lblZtrata->setText(lost.line());
        lblZtrata->setToolTip(lost.detail());
        lblZtrata->setVisible(lost.lost());
    });
    platform::onSignal(&lost, &competition::LostDatabase::noticed, this,
                       [this] { offerLostCopy(); });
}

// A copy or a journal line that could not be written is told here once, and stays told
// until one succeeds; the tools window says which folder and why.
void TfrmHlavni::followSafekeeping() {
    const auto show = [this] {
        const QString backup = competition_.backups().problem();
        const QString journal = competition_.journal().problem();
        lblZaloha->setText(!backup.isEmpty() ? QStringLiteral("Záloha selhala – viz Nástroje")
                                             : QStringLiteral("Deník změn selhal – viz Nástroje"));
        lblZaloha->setToolTip(backup.isEmpty() ? journal : backup);
        lblZaloha->setVisible(!backup.isEmpty() || !journal.isEmpty());
    };
    connect(&competition_.backups(), &competition::Backups::statusChanged, this, show);
    connect(&competition_.journal(), &competition::ChangeJournal::problemChanged, this, show);
}

// A database on a server is named here, with whether the other tables' commits reach this
// one; the folder's own file needs no word.
void TfrmHlavni::followDatabase() {
    const db::DatabaseLocation location =
        db::DatabaseLocation::parse(competition_.databaseLocation());
    lblDatabaze->setVisible(location.isServer());
    const auto show = [this, location](const QString& problem) {
        lblDatabaze->setText(
            problem.isEmpty()
                ? QStringLiteral("Server %1").arg(QString::fromStdString(location.host()))
                : QStringLiteral("Spojení se serverem přerušeno"));
        lblDatabaze->setToolTip(problem.isEmpty() ? QString::fromStdString(location.describe())
                                                  : problem);
        QPalette palette = lblDatabaze->palette();
        palette.setColor(QPalette::WindowText, problem.isEmpty() ? Qt::darkBlue : Qt::darkRed);
        lblDatabaze->setPalette(palette);
    };
    show(competition_.live().connectionText());
    connect(&competition_.live(), &competition::LiveChanges::connectionTextChanged, this, show);
}

// The heading, the caption, the place and the season picture show the details as last
// confirmed; withdrawing them brings the plain heading back.
void TfrmHlavni::followEventDetails() {
    const competition::EventDetails& details = competition_.details();
    connect(&details, &competition::EventDetails::confirmed, this, [this, &details] {
        lblObec->setText(details.place());
        lblObec->adjustSize();
        Label1->setText(details.edition() + QStringLiteral(". ZELTORIA"));
        caption_ = details.edition() + QStringLiteral(". Zeltoria");
        showCaption();
        lblObec->show();
    });
    connect(&details, &competition::EventDetails::withdrawn, this, [this] {
        lblObec->hide();
        Label1->setText(QStringLiteral("ZELTORIA"));
        caption_ = QStringLiteral("Zeltoria");
        showCaption();
    });
    connect(&details, &competition::EventDetails::mainWindowPictureChanged, this,
            [this, &details] { platform::showPicture(*Image1, details.mainWindowPicture()); });
}

void TfrmHlavni::buildTitle() {
    Label1 = new QLabel(QStringLiteral(" ZELTORIA"), this);
    platform::useDesignFont(*Label1, 24);
    Label1->setGeometry(kLayout.Label1);
    lblObec = new QLabel(QString(14, QLatin1Char(' ')), this);
    platform::useDesignFont(*lblObec, 14);
    lblObec->setGeometry(kLayout.lblObec);
    lblObec->hide();
    Image1 = platform::makePicture(this, kLayout.Image1);
    platform::showPicture(*Image1, platform::builtInPicture(":/zlt/design-stamp.jpg"));
    Image2 = platform::makePicture(this, kLayout.Image2);
    platform::showPicture(*Image2, platform::builtInPicture(":/zlt/emblem.jpg"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(50);
    platform::onSignal(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1->start();
}

void TfrmHlavni::buildGrid() {
    const platform::RoundGrid made = platform::makeRoundGrid(
        this, DataSource1, {kLayout.DBGrid1, kColumnWidths, kLayout.DBNavigator1},
        {[this](int key) { DBGrid1KeyDown(key); },
         [this](int column) { DBGrid1TitleClick(column); }});
    DBGrid1 = made.grid;
    DBNavigator1 = made.navigator;
    DBGrid1->setColumnVisible(kHiddenTotalColumn, false);
}

void TfrmHlavni::buildColumnChoice() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(kLayout.Panel1);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel1, platform::activeBorder());
    Label2 = new QLabel(QStringLiteral("Vyber, co chceš zobrazit"), Panel1);
    QFont underlined = Label2->font();
    underlined.setUnderline(true);
    Label2->setFont(underlined);
    Label2->move(kLayout.Label2);
    Label2->adjustSize();

    struct Box {
        const char* caption;
        const char* hint;
    };
    static const Box boxes[6] = {{"1. Disciplína", "Zobrazí 1.disciplínu a pořadí"},
                                 {"2. Disciplína", "Zobazí 2.disciplínu a pořadí"},
                                 {"3. Disciplína", "Zobrazí 3.disciplínu a pořadí"},
                                 {"4. Disciplína", "Zobrazí 4.disciplínu a pořadí"},
                                 {"5. Disciplína", "Zobrazí 5.disciplínu a pořadí"},
                                 {"6. Disciplína - průběžná", "Zobrazí 6.disciplínu a pořadí"}};
    for (int i = 0; i < 6; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[i].caption), Panel1);
        box->move(kLayout.cbNDisc[i]);
        box->adjustSize();
        box->setToolTip(QString::fromUtf8(boxes[i].hint));
        box->setChecked(true);
        platform::onSignal(box, &QCheckBox::toggled, this, [this, i] { cbNDiscClick(i + 1); });
        cbNDisc[i] = box;
    }
    cbDisc = new QCheckBox(QStringLiteral("Disciplíny"), Panel1);
    cbDisc->move(kLayout.cbDisc);
    cbDisc->adjustSize();
    cbDisc->setToolTip(QStringLiteral("Zobrazí všechny disciplíny"));
    cbDisc->setChecked(true);
    platform::onSignal(cbDisc, &QCheckBox::toggled, this, [this] { cbDiscClick(); });
}

void TfrmHlavni::buildCommands() {
    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(kLayout.Bevel1);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    btnFinale = platform::makeButton(this, QStringLiteral("Finále"), kLayout.btnFinale,
                                     QStringLiteral("Přepnout do finále"));
    btnTisk = platform::makeButton(this, QStringLiteral("Tisk"), kLayout.btnTisk,
                                   QStringLiteral("Přepnout do volby tisku"));
    btnNastaveni = platform::makeButton(this, QStringLiteral("Nastavení"), kLayout.btnNastaveni,
                                        QStringLiteral("Nastavit program "));
    btnKonec = platform::makeButton(this, QStringLiteral("Konec"), kLayout.btnKonec,
                                    QStringLiteral("Ukončit program"));
    platform::onSignal(btnFinale, &QPushButton::clicked, this, [this] { btnFinaleClick(); });
    platform::onSignal(btnTisk, &QPushButton::clicked, this, [this] { btnTiskClick(); });
    platform::onSignal(btnNastaveni, &QPushButton::clicked, this, [this] { btnNastaveniClick(); });
    platform::onSignal(btnKonec, &QPushButton::clicked, this, [this] { btnKonecClick(); });
    btnNastroje = platform::makeButton(this, QStringLiteral("Nástroje"), kLayout.btnNastroje,
                                       QStringLiteral("Zálohy, pořadí, import a export"));
    platform::onSignal(btnNastroje, &QPushButton::clicked, this, [this] { btnNastrojeClick(); });
    lblZaloha = new QLabel(this);
    lblZaloha->setGeometry(kLayout.lblZaloha);
    QPalette warning = lblZaloha->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    lblZaloha->setPalette(warning);
    lblZaloha->hide();
    lblDatabaze = new QLabel(this);
    lblDatabaze->setGeometry(kLayout.lblDatabaze);
    lblDatabaze->setAlignment(Qt::AlignCenter);
    lblZtrata = platform::makeWarningLine(this, kLayout.lblZtrata);
    lblJenCteni = platform::makeWarningLine(this, kLayout.lblJenCteni);
    lblKontrola = new platform::CheckLine(this, kLayout.lblKontrola);
}

// The grid and navigator listen to the data source, a member that dies before the base
// class would delete them.
TfrmHlavni::~TfrmHlavni() {
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TfrmHlavni::FormCreate() {
    competition_.openPreliminary();
}

// Asked again with every write refused while no copy is in use, so that the operator can
// still save one after answering No.
void TfrmHlavni::offerLostCopy() {
    if (!IB_Connection1.fileLost()) {
        return;
    }
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Databáze zmizela"),
        QStringLiteral("Soubor databáze %1 byl smazán nebo přesunut, zatímco je program "
                       "otevřený. Dokud program nepracuje s jeho kopií, každý další zápis "
                       "odmítne; co se dosud zapsalo, se po ukončení programu ztratí.\n\n"
                       "Uložit kopii otevřené databáze do zvolené složky? Program pak bude "
                       "zapisovat do ní.")
            .arg(QString::fromUtf8(competition::kDatabaseFile)));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    const QString folder =
        platform::Dialogs::chooseFolder(QStringLiteral("Kam uložit kopii databáze"));
    if (folder.isEmpty()) {
        return;
    }
    const std::filesystem::path copy =
        competition_.moveLostDatabase(std::filesystem::path(folder.toStdString()));
    platform::Dialogs::show({platform::Dialogs::applicationTitle(),
                             QStringLiteral("Kopie databáze je uložena jako %1. Program dál "
                                            "zapisuje do ní.")
                                 .arg(QString::fromStdString(copy.string())),
                             platform::DialogIcon::Information,
                             {platform::DialogButton::Ok},
                             platform::DialogButton::Ok});
}

void TfrmHlavni::lblKontrolaClick() {
    const std::vector<competition::Finding> findings = competition_.check().findingsOf(false);
    if (const competition::Finding* finding =
            platform::FindingsList::choose(this, QStringLiteral("Kontrola předkola"), findings)) {
        goToFinding(*finding);
    }
}

// A finding in a discipline the column choice hides brings its discipline's columns back.
void TfrmHlavni::goToFinding(const competition::Finding& finding) {
    for (const competition::Discipline& discipline : competition::allDisciplines()) {
        if (!discipline.finals && (finding.field == discipline.resultField() ||
                                   finding.field == discipline.placingField())) {
            cbNDisc[static_cast<std::size_t>(discipline.number - 1)]->setChecked(true);
        }
    }
    DBGrid1->goToField(finding.row, finding.field);
}

void TfrmHlavni::Timer1Timer() {
    Label1->move(Label1->x(), Label1->y() + 2);
    if (Label1->y() >= 40) {
        Timer1->stop();
    }
}

void TfrmHlavni::btnFinaleClick() {
    hide();
    frmFinale->show();
}

// After a modal window the keyboard comes back here, also where no window manager
// hands it on.
void TfrmHlavni::btnTiskClick() {
    frmVolbaTisku->exec();
    activateWindow();
}

void TfrmHlavni::btnNastaveniClick() {
    frmNastaveni->exec();
    activateWindow();
}

void TfrmHlavni::btnNastrojeClick() {
    emit toolsWanted();
}

void TfrmHlavni::btnKonecClick() {
    close();
}

void TfrmHlavni::closeEvent(QCloseEvent* event) {
    // A row still being typed in either grid is written before the program ends; if the
    // database refuses it, the program stays open so that nothing typed is lost.
    if (!platform::runGuarded([this] { competition_.writePendingRows(); })) {
        event->ignore();
        return;
    }
    event->accept();
    qApp->quit();
}

void TfrmHlavni::DBGrid1KeyDown(int key) {
    if (platform::isEnter(key)) {
        competition_.recomputeTotal(IBOQuery1);
    }
}

void TfrmHlavni::DBGrid1TitleClick(int column) {
    competition_.sortByTitle(IBOQuery1, column);
    DBGrid1->highlightSortColumn(column, kColouredColumns);
}

void TfrmHlavni::cbNDiscClick(int discipline) {
    const bool shown = cbNDisc[discipline - 1]->isChecked();
    DBGrid1->setColumnVisible(resultColumn(discipline), shown);
    DBGrid1->setColumnVisible(placingColumn(discipline), shown);
}

void TfrmHlavni::cbDiscClick() {
    const bool shown = cbDisc->isChecked();
    for (int discipline = 1; discipline <= 6; ++discipline) {
        DBGrid1->setColumnVisible(resultColumn(discipline), shown);
        DBGrid1->setColumnVisible(placingColumn(discipline), shown);
    }
    for (QCheckBox* box : cbNDisc) {
        box->setChecked(shown);
    }
}

}  // namespace zlt
