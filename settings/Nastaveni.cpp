#include "settings/Nastaveni.h"

#include <QEvent>

#include "competition/EventFiles.h"
#include "competition/OtherTables.h"
#include "pictures/Jpeg.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"
#include "reports/sheets/SeasonStamps.h"

namespace zlt {

TfrmNastaveni* frmNastaveni = nullptr;

namespace {

// Where the controls sit, in pixels of the window. The eleven rows of a caption and a box
// come in the order of the settings file's lines; captions take their natural size.
constexpr struct {
    QSize window{400, 558};
    QPoint Label1{104, 16};
    int captionLeft = 16;
    std::array<int, 11> captionTop{72, 104, 136, 168, 200, 232, 264, 296, 328, 360, 392};
    int boxLeft = 168;
    QSize box{209, 21};
    std::array<int, 11> boxTop{70, 102, 132, 166, 198, 230, 262, 294, 326, 358, 390};
    QRect CheckBox1{16, 432, 161, 17};
    QRect btnDelete{224, 424, 131, 25};
    QRect rbLetni{48, 464, 113, 17};
    QRect rbZimni{232, 464, 113, 17};
    QRect btnPotvrdit{32, 488, 89, 25};
    QRect btnNeuvadet{154, 488, 75, 25};
    QRect Button2{264, 488, 89, 25};
} kLayout;

QLabel* caption(QWidget* parent, const QString& text, std::size_t row) {
    auto* label = new QLabel(text, parent);
    label->move(kLayout.captionLeft, kLayout.captionTop[row]);
    label->adjustSize();
    return label;
}

QLineEdit* box(QWidget* parent, std::size_t row) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry({{kLayout.boxLeft, kLayout.boxTop[row]}, kLayout.box});
    return edit;
}

}  // namespace

TfrmNastaveni::TfrmNastaveni(competition::Competition& competition)
    : competition_(competition), details_(competition.details()) {
    setWindowTitle(QStringLiteral("Nastaveni programu"));
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    Label1 = new QLabel(QStringLiteral("Základní údaje o ZLT "), this);
    platform::useDesignFont(*Label1, 14);
    Label1->move(kLayout.Label1);
    Label1->adjustSize();
    buildBoxes();
    buildChoices();
    buildButtons();

    const std::array<QWidget*, 18> tabOrder = {
        EditObec,    EditND[0],  EditND[1],  EditND[2],  EditND[3],   EditND[4],
        Edit6D,      EditNFD[0], EditNFD[1], EditNFD[2], btnPotvrdit, Button2,
        btnNeuvadet, EditCislo,  CheckBox1,  btnDelete,  rbLetni,     rbZimni};
    for (std::size_t i = 0; i + 1 < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    }
    // The boxes are the event's live texts: every change, typed or not, is the details'.
    const auto edits = boxes();
    for (std::size_t line = 0; line < edits.size(); ++line) {
        connect(edits[line], &QLineEdit::textChanged, this,
                [this, line](const QString& text) { details_.setText(line, text); });
    }
    connect(&details_, &competition::EventDetails::loaded, this, &TfrmNastaveni::showLoadedDetails);
}

void TfrmNastaveni::buildBoxes() {
    Label12 = caption(this, QStringLiteral("Pořadové číslo ZLT :"), 0);
    EditCislo = box(this, 0);
    Label2 = caption(this, QStringLiteral("Místo a datum  : "), 1);
    EditObec = box(this, 1);
    for (std::size_t i = 0; i < 5; ++i) {
        LabelND[i] = caption(this, QStringLiteral("Název %1.disciplíny :").arg(i + 1), 2 + i);
        EditND[i] = box(this, 2 + i);
    }
    Label8 = caption(this, QStringLiteral("Název 6.disciplíny - průběžné :"), 7);
    Edit6D = box(this, 7);
    for (std::size_t i = 0; i < 3; ++i) {
        LabelNFD[i] =
            caption(this, QStringLiteral("Název %1.finálové disciplíny :").arg(i + 1), 8 + i);
        EditNFD[i] = box(this, 8 + i);
    }
}

void TfrmNastaveni::buildChoices() {
    CheckBox1 = new QCheckBox(QStringLiteral("Zobrazit penalizaci při tisku"), this);
    CheckBox1->setGeometry(kLayout.CheckBox1);
    btnDelete = addButton(QStringLiteral("Vymazat databáze"), kLayout.btnDelete);
    platform::onSignal(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    rbLetni = new QRadioButton(QStringLiteral("Letní hry"), this);
    rbLetni->setGeometry(kLayout.rbLetni);
    rbZimni = new QRadioButton(QStringLiteral("Zimní hry"), this);
    rbZimni->setGeometry(kLayout.rbZimni);
}

void TfrmNastaveni::buildButtons() {
    btnPotvrdit = addButton(QStringLiteral("Potvrdit"), kLayout.btnPotvrdit);
    btnPotvrdit->setToolTip(QStringLiteral("Zobrazí názvy disciplín do tisku  "));
    btnNeuvadet = addButton(QStringLiteral("Nezobrazit"), kLayout.btnNeuvadet);
    btnNeuvadet->setToolTip(QStringLiteral("Nezobrazí názvy disciplín a všechny smaže"));
    Button2 = addButton(QStringLiteral("Storno"), kLayout.Button2);
    platform::onSignal(btnPotvrdit, &QPushButton::clicked, this, [this] { btnPotvrditClick(); });
    platform::onSignal(btnNeuvadet, &QPushButton::clicked, this, [this] { btnNeuvadetClick(); });
    platform::onSignal(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

std::array<QLineEdit*, 11> TfrmNastaveni::boxes() const {
    return {EditCislo, EditObec, EditND[0],  EditND[1],  EditND[2], EditND[3],
            EditND[4], Edit6D,   EditNFD[0], EditNFD[1], EditNFD[2]};
}

bool TfrmNastaveni::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TfrmNastaveni::FormCreate() {
    details_.load();
    details_.showMainWindowPicture(
        pictures::loadJpegFile(competition::mainWindowPicture(details_.summer())));
}

void TfrmNastaveni::showLoadedDetails() {
    const auto edits = boxes();
    for (std::size_t line = 0; line < edits.size(); ++line) {
        edits[line]->setText(details_.text(line));
    }
    CheckBox1->setChecked(details_.penaltyShown());
    (details_.summer() ? rbLetni : rbZimni)->setChecked(true);
}

void TfrmNastaveni::FormActivate() {
    EditCislo->setFocus(Qt::ActiveWindowFocusReason);
}

// What can fail is done before anything changes: the season's pictures are loaded and
// a text the file could not hold is refused, naming the box, so that a missing picture or
// a read-only or full folder leaves the windows as they were. Neither season chosen counts
// as winter.
void TfrmNastaveni::btnPotvrditClick() {
    const bool summer = rbLetni->isChecked();
    const QImage picture = pictures::loadJpegFile(competition::mainWindowPicture(summer));
    const QImage stamp = reports::readSeasonStamp(competition::reportStamp(summer));
    try {
        details_.confirm(CheckBox1->isChecked(), summer, picture, stamp);
    } catch (const competition::UnsavableText& refused) {
        const QLabel* const labels[] = {Label12,     Label2,      LabelND[0], LabelND[1],
                                        LabelND[2],  LabelND[3],  LabelND[4], Label8,
                                        LabelNFD[0], LabelNFD[1], LabelNFD[2]};
        throw competition::Refusal(labels[refused.line()]->text().trimmed().toStdString() + " " +
                                   refused.what() + "; nothing was saved");
    }
    accept();
}

void TfrmNastaveni::btnNeuvadetClick() {
    for (QLineEdit* edit : boxes()) {
        edit->clear();
    }
    details_.withdraw();
    accept();
}

void TfrmNastaveni::Button2Click() {
    reject();
}

void TfrmNastaveni::btnDeleteClick() {
    if (!platform::Dialogs::confirmBesideOtherTables(
            QStringLiteral("Vymazání databáze"),
            competition::otherTables(competition_.connection()))) {
        return;
    }
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Vymazání databáze"),
        QStringLiteral("Opravdu chcete smazat data ze základní a finálové části?"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    competition_.resetDatabase();
}

}  // namespace zlt
