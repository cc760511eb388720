#include "office/Diplomy.h"

#include <QButtonGroup>
#include <filesystem>

#include "competition/Refusal.h"
#include "platform/CheckLine.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"
#include "reports/Preview.h"

namespace zlt {
namespace {

// Where the controls sit, in pixels of the dialog.
constexpr struct {
    QSize window{420, 332};
    QRect rbCelkove{16, 12, 130, 20};
    QRect rbPredkolo{152, 12, 110, 20};
    QRect rbFinale{268, 12, 110, 20};
    QRect lblMista{16, 46, 100, 20};
    QRect editMista{120, 44, 60, 24};
    QRect chkVsechna{196, 46, 208, 20};
    QRect chkUcast{16, 76, 388, 20};
    QRect rbNaSirku{16, 108, 120, 20};
    QRect rbNaVysku{152, 108, 120, 20};
    QRect chkPodpisy{16, 142, 90, 20};
    QRect editPodpis1{110, 140, 144, 24};
    QRect editPodpis2{260, 140, 144, 24};
    QRect lblSouhrn{16, 172, 388, 70};
    QRect btnNahled{210, 254, 97, 25};
    QRect btnZpet{315, 254, 89, 25};
} kLayout;

// The teams a summary names before it only counts the rest.
constexpr std::size_t kNamedTeams = 8;
// The check's findings the summary's hint lists before it only counts the rest.
constexpr std::size_t kListedFindings = 10;

// The summary has room for the first finding only; its hint lists the first ones.
QString findingsWarning(const std::vector<competition::Finding>& findings) {
    if (findings.empty()) {
        return {};
    }
    return QStringLiteral("Pozor, kontrola našla %1: %2%3\n")
        .arg(platform::findingsCount(static_cast<int>(findings.size())),
             QString::fromStdString(findings.front().line()),
             findings.size() > 1 ? QStringLiteral("; …") : QString());
}

QString findingsHint(const std::vector<competition::Finding>& findings) {
    QStringList lines;
    for (std::size_t i = 0; i < findings.size() && i < kListedFindings; ++i) {
        lines << QString::fromStdString(findings[i].line());
    }
    if (findings.size() > kListedFindings) {
        lines << QStringLiteral("… a dalších %1").arg(findings.size() - kListedFindings);
    }
    return lines.join(QLatin1Char('\n'));
}

QRadioButton* radio(QWidget* parent, const QString& caption, const QRect& box) {
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(box);
    return button;
}

QLineEdit* captionEdit(QWidget* parent, const std::string& caption, const QRect& box,
                       const QString& side) {
    auto* edit = new QLineEdit(QString::fromStdString(caption), parent);
    edit->setGeometry(box);
    edit->setToolTip(QStringLiteral("Popisek pod čarou k podpisu %1; prázdný: bez čáry").arg(side));
    return edit;
}

}  // namespace

TfrmDiplomy::TfrmDiplomy(competition::Competition& competition, QWidget* parent)
    : QDialog(parent), competition_(competition) {
    setWindowTitle(QStringLiteral("Diplomy"));
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    rbCelkove = radio(this, QStringLiteral("Celkové pořadí"), kLayout.rbCelkove);
    rbPredkolo = radio(this, QStringLiteral("Předkolo"), kLayout.rbPredkolo);
    rbFinale = radio(this, QStringLiteral("Finále"), kLayout.rbFinale);
    rbCelkove->setChecked(true);
    auto* rounds = new QButtonGroup(this);
    for (QRadioButton* round : {rbCelkove, rbPredkolo, rbFinale}) {
        rounds->addButton(round);
    }
    lblMista = new QLabel(QStringLiteral("Prvních míst:"), this);
    lblMista->setGeometry(kLayout.lblMista);
    editMista = new QSpinBox(this);
    editMista->setGeometry(kLayout.editMista);
    editMista->setValue(3);
    lblMista->setBuddy(editMista);
    chkVsechna = new QCheckBox(QStringLiteral("Všechna umístěná družstva"), this);
    chkVsechna->setGeometry(kLayout.chkVsechna);
    chkUcast = new QCheckBox(QStringLiteral("Také družstva bez pořadí, „za účast“"), this);
    chkUcast->setGeometry(kLayout.chkUcast);
    // The paper is a choice of its own, apart from the round.
    auto* paper = new QButtonGroup(this);
    rbNaSirku = radio(this, QStringLiteral("Na šířku"), kLayout.rbNaSirku);
    rbNaVysku = radio(this, QStringLiteral("Na výšku"), kLayout.rbNaVysku);
    paper->addButton(rbNaSirku);
    paper->addButton(rbNaVysku);
    rbNaSirku->setChecked(true);
    kept_ = competition::readDiplomaLayout(std::filesystem::current_path());
    chkPodpisy = new QCheckBox(QStringLiteral("Podpisy:"), this);
    chkPodpisy->setGeometry(kLayout.chkPodpisy);
    chkPodpisy->setChecked(kept_.layout.signatures);
    editPodpis1 =
        captionEdit(this, kept_.layout.captions[0], kLayout.editPodpis1, QStringLiteral("vlevo"));
    editPodpis2 =
        captionEdit(this, kept_.layout.captions[1], kLayout.editPodpis2, QStringLiteral("vpravo"));
    for (QLineEdit* caption : {editPodpis1, editPodpis2}) {
        caption->setEnabled(chkPodpisy->isChecked());
        connect(chkPodpisy, &QCheckBox::toggled, caption, &QLineEdit::setEnabled);
    }
    lblSouhrn = new QLabel(this);
    lblSouhrn->setGeometry(kLayout.lblSouhrn);
    lblSouhrn->setWordWrap(true);
    lblSouhrn->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnNahled = platform::makeButton(this, QStringLiteral("Náhled…"), kLayout.btnNahled,
                                     QStringLiteral("Ukáže diplomy v náhledu, odkud se tisknou"));
    platform::onSignal(btnNahled, &QPushButton::clicked, this, [this] { btnNahledClick(); });
    btnZpet = platform::makeButton(this, QStringLiteral("Zpět"), kLayout.btnZpet);
    platform::onSignal(btnZpet, &QPushButton::clicked, this, [this] { reject(); });
    btnNahled->setDefault(true);
    for (QRadioButton* round : {rbCelkove, rbPredkolo, rbFinale}) {
        platform::onSignal(round, &QRadioButton::toggled, this, [this] { showChoice(); });
    }
    platform::onSignal(editMista, &QSpinBox::valueChanged, this, [this] { showChoice(); });
    for (QCheckBox* box : {chkVsechna, chkUcast}) {
        platform::onSignal(box, &QCheckBox::toggled, this, [this] { showChoice(); });
    }
    platform::onSignal(&competition_.check(), &competition::LiveCheck::changed, this,
                       [this] { showChoice(); });
    showChoice();
}

competition::DiplomaChoice TfrmDiplomy::choice() const {
    competition::DiplomaChoice chosen;
    chosen.round = rbFinale->isChecked()     ? competition::DiplomaRound::Finals
                   : rbPredkolo->isChecked() ? competition::DiplomaRound::Preliminary
                                             : competition::DiplomaRound::Overall;
    chosen.top = chkVsechna->isChecked() ? std::nullopt : std::optional<int>(editMista->value());
    chosen.participation = chkUcast->isChecked();
    return chosen;
}

competition::DiplomaLayout TfrmDiplomy::layout() const {
    return {
        chkPodpisy->isChecked(),
        {editPodpis1->text().trimmed().toStdString(), editPodpis2->text().trimmed().toStdString()}};
}

db::ResultSet& TfrmDiplomy::chosenRows() {
    return competition::diplomaRows(choice().round, competition_.preliminary(),
                                    competition_.finals());
}

// The overall standings come from both rounds, so both rounds' findings count for them.
void TfrmDiplomy::showChoice() {
    // A place beyond the table's rows is no place; the box offers only those there are.
    editMista->setRange(1, std::max(1, chosenRows().recordCount()));
    editMista->setEnabled(!chkVsechna->isChecked());
    const std::vector<competition::Finding> findings =
        competition_.check().findingsBehind(choice().round);
    const QString warning = findingsWarning(findings);
    lblSouhrn->setToolTip(findingsHint(findings));
    try {
        const auto teams = competition::chooseDiplomaTeams(chosenRows(), choice());
        QStringList named;
        for (std::size_t i = 0; i < teams.size() && i < kNamedTeams; ++i) {
            named << QStringLiteral("%1 %2").arg(reports::diplomaPlaceText(teams[i].place),
                                                 QString::fromStdString(teams[i].team));
        }
        if (teams.size() > kNamedTeams) {
            named << QStringLiteral("… a dalších %1").arg(teams.size() - kNamedTeams);
        }
        lblSouhrn->setText(warning + QStringLiteral("Diplomů: %1 (%2)")
                                         .arg(teams.size())
                                         .arg(named.join(QStringLiteral(", "))));
    } catch (const std::exception& refused) {
        lblSouhrn->setText(warning + QString::fromUtf8(refused.what()));
    }
}

// A damaged layout file is told once, with the first diplomas after the dialog opened.
void TfrmDiplomy::keepLayout(QStringList& problems) {
    if (!kept_.problem.empty()) {
        problems << QString::fromStdString(kept_.problem);
    }
    if (layout() == kept_.layout) {
        kept_.problem.clear();
        return;
    }
    try {
        competition::keepDiplomaLayout(std::filesystem::current_path(), layout());
        kept_ = {layout(), {}};
    } catch (const competition::Refusal& refused) {
        problems << QString::fromUtf8(refused.what());
    }
}

// The diplomas print whatever could not be read or kept: at the prize-giving a diploma
// without its picture is better than none.
void TfrmDiplomy::btnNahledClick() {
    const auto teams = competition::chooseDiplomaTeams(chosenRows(), choice());
    QStringList problems;
    keepLayout(problems);
    const reports::DiplomaOptions options = reports::diplomaOptions(
        competition_.details(), choice().round, rbNaSirku->isChecked(), layout(), problems);
    if (!problems.isEmpty()) {
        platform::Dialogs::show({platform::Dialogs::applicationTitle(),
                                 problems.join(QStringLiteral("\n\n")),
                                 platform::DialogIcon::Warning,
                                 {platform::DialogButton::Ok},
                                 platform::DialogButton::Ok});
    }
    diplomas_.prepare(teams, options);
    reports::previewReport(diplomas_.QuickRep1);
}

}  // namespace zlt
