#include "settings/Nastaveni.h"

#include <QEvent>

#include "competition/EventFiles.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Jpeg.h"
#include "platform/WindowGeometry.h"
#include "reports/SeasonStamps.h"

namespace zlt {

TfrmNastaveni* frmNastaveni = nullptr;

namespace {

QLabel* caption(QWidget* parent, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    label->move(16, top);
    label->adjustSize();
    return label;
}

QLineEdit* box(QWidget* parent, int top) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(168, top, 209, 21);
    return edit;
}

}  // namespace

TfrmNastaveni::TfrmNastaveni(competition::Competition& competition)
    : competition_(competition), details_(competition.details()) {
    setWindowTitle(QStringLiteral("Nastaveni programu"));
    platform::placeWindow(*this, 400, 558);
    Label1 = new QLabel(QStringLiteral("Základní údaje o ZLT "), this);
    platform::useDesignFont(*Label1, 14);
    Label1->move(104, 16);
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
    connect(&details_, &competition::EventDetails::loaded, this,
            &TfrmNastaveni::showLoadedDetails);
}

void TfrmNastaveni::buildBoxes() {
    Label12 = caption(this, QStringLiteral("Pořadové číslo ZLT :"), 72);
    EditCislo = box(this, 70);
    Label2 = caption(this, QStringLiteral("Místo a datum  : "), 104);
    EditObec = box(this, 102);
    const int disciplineTops[5] = {132, 166, 198, 230, 262};
    for (int i = 0; i < 5; ++i) {
        LabelND[i] =
            caption(this, QStringLiteral("Název %1.disciplíny :").arg(i + 1), 136 + 32 * i);
        EditND[i] = box(this, disciplineTops[i]);
    }
    Label8 = caption(this, QStringLiteral("Název 6.disciplíny - průběžné :"), 296);
    Edit6D = box(this, 294);
    for (int i = 0; i < 3; ++i) {
        LabelNFD[i] = caption(this, QStringLiteral("Název %1.finálové disciplíny :").arg(i + 1),
                              328 + 32 * i);
        EditNFD[i] = box(this, 326 + 32 * i);
    }
}

void TfrmNastaveni::buildChoices() {
    CheckBox1 = new QCheckBox(QStringLiteral("Zobrazit penalizaci při tisku"), this);
    CheckBox1->setGeometry(16, 432, 153, 17);
    btnDelete = addButton(QStringLiteral("Vymazat databáze"), {224, 424, 131, 25});
    platform::onSignal(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    rbLetni = new QRadioButton(QStringLiteral("Letní hry"), this);
    rbLetni->setGeometry(48, 464, 113, 17);
    rbZimni = new QRadioButton(QStringLiteral("Zimní hry"), this);
    rbZimni->setGeometry(232, 464, 113, 17);
}

void TfrmNastaveni::buildButtons() {
    btnPotvrdit = addButton(QStringLiteral("Potvrdit"), {32, 488, 89, 25});
    btnPotvrdit->setToolTip(QStringLiteral("Zobrazí názvy disciplín do tisku  "));
    btnNeuvadet = addButton(QStringLiteral("Nezobrazit"), {154, 488, 75, 25});
    btnNeuvadet->setToolTip(QStringLiteral("Nezobrazí názvy disciplín a všechny smaže"));
    Button2 = addButton(QStringLiteral("Storno"), {264, 488, 89, 25});
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
        platform::loadJpegFile(competition::mainWindowPicture(details_.summer())));
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
    const QImage picture = platform::loadJpegFile(competition::mainWindowPicture(summer));
    const QImage stamp = reports::readSeasonStamp(competition::reportStamp(summer));
    try {
        details_.confirm(CheckBox1->isChecked(), summer, picture, stamp);
    } catch (const competition::UnsavableText& refused) {
        const QLabel* const labels[] = {Label12,    Label2,      LabelND[0],  LabelND[1],
                                        LabelND[2], LabelND[3],  LabelND[4],  Label8,
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
    const auto answer = platform::Dialogs::askYesNoCancel(
        QStringLiteral("Vymazání databáze"),
        QStringLiteral("Opravdu chcete smazat data ze základní a finálové části?"));
    if (answer != platform::DialogButton::Yes) {
        return;
    }
    competition_.resetDatabase();
}

}  // namespace zlt
