#include "office/Discipliny.h"

#include "platform/Controls.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"

namespace zlt {
namespace {

// Where the controls sit, in pixels of the dialog; the rows one under another.
constexpr struct {
    QSize window{620, 470};
    QRect lblChyba{16, 8, 580, 32};
    int firstRow = 48;
    int rowHeight = 30;
    int finalsGap = 10;
    int lblDisciplina = 16;
    int cbHodnoceni = 160;
    int chkObracene = 272;
    int chkPosledni = 368;
    int lblLepsi = 536;
    QRect lblNapoveda{16, 340, 580, 48};
    QRect btnUlozit{402, 402, 89, 25};
    QRect btnZpet{507, 402, 89, 25};
} kLayout;

// In the order of ResultKind.
const QStringList kKinds = {QStringLiteral("ruční"), QStringLiteral("čas"),
                            QStringLiteral("vzdálenost"), QStringLiteral("body")};

}  // namespace

TfrmDiscipliny::TfrmDiscipliny(competition::Competition& competition, QWidget* parent)
    : QDialog(parent), competition_(competition) {
    setWindowTitle(QStringLiteral("Jak se hodnotí disciplíny"));
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    const competition::LiveCheck& check = competition_.check();
    lblChyba = new QLabel(QString::fromStdString(check.rulesProblem()), this);
    lblChyba->setGeometry(kLayout.lblChyba);
    lblChyba->setWordWrap(true);
    QPalette warning = lblChyba->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    lblChyba->setPalette(warning);
    lblChyba->setVisible(!check.rulesProblem().empty());
    const auto& disciplines = competition::allDisciplines();
    for (std::size_t index = 0; index < disciplines.size(); ++index) {
        const int gap = disciplines[index].finals ? kLayout.finalsGap : 0;
        buildRow(index, kLayout.firstRow + static_cast<int>(index) * kLayout.rowHeight + gap);
        showRule(index, check.rules().of(disciplines[index]));
    }
    lblNapoveda = new QLabel(
        QStringLiteral("Čas je lepší menší, vzdálenost a body větší; „obráceně“ to otočí "
                       "(například nejméně trestných bodů). Disciplína „ruční“ se z výsledků "
                       "nehodnotí: umístění se píší ručně. Podle voleb se umístění spočítají "
                       "v Nástrojích tlačítkem Umístění z výsledků… a hlídá je kontrola."),
        this);
    lblNapoveda->setGeometry(kLayout.lblNapoveda);
    lblNapoveda->setWordWrap(true);
    lblNapoveda->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnUlozit = platform::makeButton(this, QStringLiteral("Uložit"), kLayout.btnUlozit,
                                     QStringLiteral("Uloží volby do souboru discipliny.txt"));
    platform::onSignal(btnUlozit, &QPushButton::clicked, this, [this] { btnUlozitClick(); });
    btnZpet = platform::makeButton(this, QStringLiteral("Zpět"), kLayout.btnZpet);
    platform::onSignal(btnZpet, &QPushButton::clicked, this, [this] { reject(); });
}

void TfrmDiscipliny::buildRow(std::size_t index, int top) {
    const competition::Discipline& discipline = competition::allDisciplines()[index];
    lblDisciplina[index] = new QLabel(QString::fromStdString(discipline.caption()), this);
    lblDisciplina[index]->setGeometry(kLayout.lblDisciplina, top, 140, 20);
    cbHodnoceni[index] = new QComboBox(this);
    cbHodnoceni[index]->addItems(kKinds);
    cbHodnoceni[index]->setGeometry(kLayout.cbHodnoceni, top - 2, 100, 24);
    lblDisciplina[index]->setBuddy(cbHodnoceni[index]);
    chkObracene[index] = new QCheckBox(QStringLiteral("obráceně"), this);
    chkObracene[index]->setGeometry(kLayout.chkObracene, top, 90, 20);
    chkObracene[index]->setToolTip(
        QStringLiteral("Lepší je naopak větší čas, menší vzdálenost nebo méně bodů"));
    chkPosledni[index] = new QCheckBox(QStringLiteral("bez výsledku poslední"), this);
    chkPosledni[index]->setGeometry(kLayout.chkPosledni, top, 164, 20);
    chkPosledni[index]->setToolTip(
        QStringLiteral("Družstva bez výsledku sdílejí místo za všemi družstvy s výsledkem; "
                       "jinak nedostanou žádné"));
    lblLepsi[index] = new QLabel(this);
    lblLepsi[index]->setGeometry(kLayout.lblLepsi, top, 68, 20);
    platform::onSignal(cbHodnoceni[index], &QComboBox::currentIndexChanged, this,
                       [this, index] { showBetter(index); });
    platform::onSignal(chkObracene[index], &QCheckBox::toggled, this,
                       [this, index] { showBetter(index); });
}

void TfrmDiscipliny::showRule(std::size_t index, const competition::DisciplineRule& rule) {
    cbHodnoceni[index]->setCurrentIndex(static_cast<int>(rule.kind));
    chkObracene[index]->setChecked(rule.reversed);
    chkPosledni[index]->setChecked(rule.lastWithout);
    showBetter(index);
}

void TfrmDiscipliny::showBetter(std::size_t index) {
    const competition::DisciplineRule rule = ruleOf(index);
    const bool manual = rule.kind == competition::ResultKind::Manual;
    chkObracene[index]->setEnabled(!manual);
    chkPosledni[index]->setEnabled(!manual);
    lblLepsi[index]->setText(manual                ? QString()
                             : rule.lessIsBetter() ? QStringLiteral("lepší méně")
                                                   : QStringLiteral("lepší více"));
}

competition::DisciplineRule TfrmDiscipliny::ruleOf(std::size_t index) const {
    return {static_cast<competition::ResultKind>(cbHodnoceni[index]->currentIndex()),
            chkObracene[index]->isChecked(), chkPosledni[index]->isChecked()};
}

competition::DisciplineRules TfrmDiscipliny::rules() const {
    competition::DisciplineRules chosen;
    const auto& disciplines = competition::allDisciplines();
    for (std::size_t index = 0; index < disciplines.size(); ++index) {
        chosen.of(disciplines[index]) = ruleOf(index);
    }
    return chosen;
}

// A refusal leaves the dialog open with the choices, so that nothing chosen is lost.
void TfrmDiscipliny::btnUlozitClick() {
    competition_.check().setRules(rules());
    accept();
}

}  // namespace zlt
