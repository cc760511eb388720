#include "app/Hlavni.h"

#include <QApplication>
#include <QCloseEvent>
#include <filesystem>

#include "app/RowTotal.h"
#include "app/TeamNavigator.h"
#include "app/TitleSort.h"
#include "finals/Finale.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Picture.h"
#include "platform/SystemColors.h"
#include "platform/WindowGeometry.h"
#include "reports/Volba.h"
#include "settings/Nastaveni.h"

// The pictures are compiled into a static library, whose resources must be registered
// by hand.
static void registerPictures() {
    Q_INIT_RESOURCE(resources);
}

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
constexpr int kHiddenTotalColumn = 17;
constexpr int kColouredColumns = 17;

QPushButton* button(QWidget* parent, const char* caption, const char* hint, int left, int top) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setGeometry(left, top, 75, 25);
    button->setToolTip(QString::fromUtf8(hint));
    return button;
}

}  // namespace

TfrmHlavni::TfrmHlavni() {
    registerPictures();
    setWindowTitle(QStringLiteral("Zeltoria "));
    platform::placeWindow(*this, 996, 751);
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
}

void TfrmHlavni::buildTitle() {
    Label1 = new QLabel(QStringLiteral(" ZELTORIA"), this);
    platform::useDesignFont(*Label1, 24);
    Label1->setGeometry(328, 9, 327, 37);
    lblObec = new QLabel(QString(14, QLatin1Char(' ')), this);
    platform::useDesignFont(*lblObec, 14);
    lblObec->setGeometry(408, 88, 70, 24);
    lblObec->hide();
    Image1 = platform::makePicture(this, {32, 0, 185, 105});
    platform::showPicture(*Image1, platform::builtInPicture(":/zlt/design-stamp.jpg"));
    Image2 = platform::makePicture(this, {816, 0, 161, 153});
    platform::showPicture(*Image2, platform::builtInPicture(":/zlt/emblem.jpg"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this,
            [this] { platform::runGuarded([this] { Timer1Timer(); }); });
    Timer1->start();
}

void TfrmHlavni::buildGrid() {
    DBGrid1 = new platform::DBGrid(DataSource1, this);
    DBGrid1->setGeometry(8, 120, 780, 585);
    DBGrid1->setColumnWidths(kColumnWidths);
    DBGrid1->setColumnVisible(kHiddenTotalColumn, false);
    for (int column = 0; column < kColouredColumns + 1; ++column) {
        DBGrid1->setColumnColor(column, platform::windowColor());
    }
    DBGrid1->onKeyDown = [this](int key) { DBGrid1KeyDown(key); };
    connect(DBGrid1, &platform::DBGrid::titleClicked, this,
            [this](int column) { platform::runGuarded([&] { DBGrid1TitleClick(column); }); });

    DBNavigator1 = new platform::DBNavigator(DataSource1, this);
    DBNavigator1->setGeometry(800, 468, 175, 25);
    app::setUpTeamNavigator(*DBNavigator1);
}

void TfrmHlavni::buildColumnChoice() {
    Panel1 = new QFrame(this);
    Panel1->setGeometry(800, 184, 177, 265);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    platform::setBackground(*Panel1, platform::activeBorder());
    Label2 = new QLabel(QStringLiteral("Vyber, co chceš zobrazit"), Panel1);
    QFont underlined = Label2->font();
    underlined.setUnderline(true);
    Label2->setFont(underlined);
    Label2->move(32, 16);
    Label2->adjustSize();

    struct Box {
        const char* caption;
        const char* hint;
        int top;
    };
    static const Box boxes[6] = {
        {"1. Disciplína", "Zobrazí 1.disciplínu a pořadí", 40},
        {"2. Disciplína", "Zobazí 2.disciplínu a pořadí", 72},
        {"3. Disciplína", "Zobrazí 3.disciplínu a pořadí", 104},
        {"4. Disciplína", "Zobrazí 4.disciplínu a pořadí", 136},
        {"5. Disciplína", "Zobrazí 5.disciplínu a pořadí", 168},
        {"6. Disciplína - průběžná", "Zobrazí 6.disciplínu a pořadí", 200}};
    for (int i = 0; i < 6; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[i].caption), Panel1);
        box->move(40, boxes[i].top);
        box->adjustSize();
        box->setToolTip(QString::fromUtf8(boxes[i].hint));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this,
                [this, i] { platform::runGuarded([&] { cbNDiscClick(i + 1); }); });
        cbNDisc[i] = box;
    }
    cbDisc = new QCheckBox(QStringLiteral("Disciplíny"), Panel1);
    cbDisc->move(40, 234);
    cbDisc->adjustSize();
    cbDisc->setToolTip(QStringLiteral("Zobrazí všechny disciplíny"));
    cbDisc->setChecked(true);
    connect(cbDisc, &QCheckBox::toggled, this,
            [this] { platform::runGuarded([&] { cbDiscClick(); }); });
}

void TfrmHlavni::buildCommands() {
    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(800, 512, 177, 169);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    btnFinale = button(this, "Finále", "Přepnout do finále", 852, 528);
    btnTisk = button(this, "Tisk", "Přepnout do volby tisku", 852, 565);
    btnNastaveni = button(this, "Nastavení", "Nastavit program ", 852, 603);
    btnKonec = button(this, "Konec", "Ukončit program", 852, 640);
    const std::pair<QPushButton*, void (TfrmHlavni::*)()> commands[] = {
        {btnFinale, &TfrmHlavni::btnFinaleClick},
        {btnTisk, &TfrmHlavni::btnTiskClick},
        {btnNastaveni, &TfrmHlavni::btnNastaveniClick},
        {btnKonec, &TfrmHlavni::btnKonecClick}};
    for (const auto& [control, handler] : commands) {
        connect(control, &QPushButton::clicked, this,
                [this, handler] { platform::runGuarded([&] { (this->*handler)(); }); });
    }
}

// The grid and navigator listen to the data source, a member that dies before the base
// class would delete them.
TfrmHlavni::~TfrmHlavni() {
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TfrmHlavni::FormCreate() {
    IB_Connection1.setPath((std::filesystem::current_path() / "ZLT04.GDB").string());
    // Told in the middle of a write: the question waits until that handler has finished.
    IB_Connection1.setFileLostHandler([this] {
        QTimer::singleShot(0, this, [this] { platform::runGuarded([this] { offerLostCopy(); }); });
    });
    IBOQuery1.open();
}

void TfrmHlavni::offerLostCopy() {
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Databáze zmizela"),
        QStringLiteral("Soubor databáze ZLT04.GDB byl smazán nebo přesunut, zatímco je program "
                       "otevřený. Co se od té doby zapsalo, se po ukončení programu ztratí.\n\n"
                       "Uložit kopii otevřené databáze do zvolené složky?"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    const QString folder =
        platform::Dialogs::chooseFolder(QStringLiteral("Kam uložit kopii databáze"));
    if (folder.isEmpty()) {
        return;
    }
    const std::filesystem::path copy = std::filesystem::path(folder.toStdString()) / "ZLT04.GDB";
    IB_Connection1.copyFileTo(copy);
    platform::Dialogs::show({platform::Dialogs::applicationTitle(),
                             QStringLiteral("Kopie databáze je uložena jako %1.")
                                 .arg(QString::fromStdString(copy.string())),
                             platform::DialogIcon::Information,
                             {platform::DialogButton::Ok},
                             platform::DialogButton::Ok});
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

void TfrmHlavni::btnKonecClick() {
    close();
}

void TfrmHlavni::closeEvent(QCloseEvent* event) {
    // A row still being typed in either grid is written before the program ends; if the
    // database refuses it, the program stays open so that nothing typed is lost.
    const auto writePending = [] {
        for (db::ResultSet* rows : {&frmHlavni->IBOQuery1, &frmFinale->IBOQueryF}) {
            if (rows->active()) {
                rows->checkBrowseMode();
            }
        }
    };
    if (!platform::runGuarded(writePending)) {
        event->ignore();
        return;
    }
    event->accept();
    qApp->quit();
}

void TfrmHlavni::DBGrid1KeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        app::recomputeRowTotal(IBOQuery1, {4, 6, 8, 10, 12, 14, 2}, "CELKEM");
    }
}

void TfrmHlavni::DBGrid1TitleClick(int column) {
    app::sortByTitle(*DBGrid1, "DATAZLT", column, kColouredColumns);
}

void TfrmHlavni::cbNDiscClick(int discipline) {
    const bool shown = cbNDisc[discipline - 1]->isChecked();
    DBGrid1->setColumnVisible(2 * discipline + 1, shown);
    DBGrid1->setColumnVisible(2 * discipline + 2, shown);
}

void TfrmHlavni::cbDiscClick() {
    const bool shown = cbDisc->isChecked();
    for (int column = 3; column <= 14; ++column) {
        DBGrid1->setColumnVisible(column, shown);
    }
    for (QCheckBox* box : cbNDisc) {
        box->setChecked(shown);
    }
}

}  // namespace zlt
