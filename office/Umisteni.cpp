#include "office/Umisteni.h"

#include <QLocale>
#include <QSignalBlocker>

#include "competition/Refusal.h"
#include "platform/Controls.h"
#include "platform/Guard.h"

namespace zlt {
namespace {

constexpr QSize kWindow{640, 560};
constexpr int kHodnota = 2;

QString placeText(const std::optional<int>& place) {
    return place ? QString::number(*place) : QString();
}

QString kindName(competition::ResultKind kind) {
    switch (kind) {
        case competition::ResultKind::Time:
            return QStringLiteral("čas");
        case competition::ResultKind::Distance:
            return QStringLiteral("vzdálenost");
        case competition::ResultKind::Points:
            return QStringLiteral("body");
        case competition::ResultKind::Manual:
            break;
    }
    return QStringLiteral("ručně");
}

QString ruleText(const competition::DisciplineRule& rule) {
    if (rule.kind == competition::ResultKind::Manual) {
        return QStringLiteral("Hodnotí se ručně.");
    }
    return QStringLiteral("Hodnotí se %1, lepší je %2; bez výsledku %3.")
        .arg(kindName(rule.kind),
             rule.lessIsBetter() ? QStringLiteral("méně") : QStringLiteral("více"),
             rule.lastWithout ? QStringLiteral("poslední místo") : QStringLiteral("bez umístění"));
}

// Seconds, metres and points in the Czech way, with the unit of a time or a distance.
QString valueText(competition::ResultKind kind, const competition::ReadResult& read) {
    if (!read.value) {
        return QStringLiteral("bez výsledku");
    }
    const QString number = QLocale(QLocale::Czech).toString(*read.value, 'g', 12);
    switch (kind) {
        case competition::ResultKind::Time:
            return number + QStringLiteral(" s");
        case competition::ResultKind::Distance:
            return number + QStringLiteral(" m");
        default:
            return number;
    }
}

}  // namespace

TfrmUmisteni::TfrmUmisteni(competition::Competition& competition, QWidget* parent)
    : RoundDialog(competition, parent, QStringLiteral("Umístění z výsledků"), kWindow) {
    lblDisciplina = new QLabel(QStringLiteral("Disciplína:"), this);
    lblDisciplina->setGeometry(16, 44, 70, 20);
    cbDisciplina = new QComboBox(this);
    cbDisciplina->setGeometry(88, 42, 170, 24);
    lblDisciplina->setBuddy(cbDisciplina);
    lblPravidlo = new QLabel(this);
    lblPravidlo->setGeometry(272, 44, 352, 20);
    platform::onSignal(cbDisciplina, &QComboBox::currentIndexChanged, this,
                       [this] { showPreview(); });
    placePreview(76, {QStringLiteral("Družstvo"), QStringLiteral("Výsledek"),
                      QStringLiteral("Hodnota"), QStringLiteral("Nyní"), QStringLiteral("Nově")});
    showPreview();
}

competition::Discipline TfrmUmisteni::chosenDiscipline() const {
    return {rbFinale->isChecked(), cbDisciplina->currentIndex() + 1};
}

void TfrmUmisteni::offerDisciplines() {
    const bool finals = rbFinale->isChecked();
    QStringList captions;
    for (const competition::Discipline& discipline : competition::allDisciplines()) {
        if (discipline.finals == finals) {
            captions << QString::fromStdString(discipline.caption());
        }
    }
    if (cbDisciplina->count() == captions.size()) {
        return;
    }
    const QSignalBlocker quiet(cbDisciplina);
    const int chosen = std::max(cbDisciplina->currentIndex(), 0);
    cbDisciplina->clear();
    cbDisciplina->addItems(captions);
    cbDisciplina->setCurrentIndex(std::min(chosen, static_cast<int>(captions.size()) - 1));
}

void TfrmUmisteni::showPreview() {
    offerDisciplines();
    const competition::Discipline discipline = chosenDiscipline();
    const competition::DisciplineRule& rule = competition_.check().rules().of(discipline);
    lblPravidlo->setText(ruleText(rule));
    plan_.reset();
    try {
        plan_ = competition::proposePlacings(chosenRows(), discipline, rule);
    } catch (const competition::Refusal& manual) {
        gridNahled->setRowCount(0);
        QString summary = QString::fromUtf8(manual.what());
        if (!summary.endsWith(QLatin1Char('.'))) {
            summary += QLatin1Char('.');
        }
        lblSouhrn->setText(summary + QStringLiteral(" Jak se disciplína hodnotí, se volí "
                                                    "v Nástrojích tlačítkem Disciplíny…"));
        btnZapsat->setEnabled(false);
        return;
    }
    showPlan(*plan_, rule.kind);
}

void TfrmUmisteni::showPlan(const competition::PlacingPlan& plan, competition::ResultKind kind) {
    gridNahled->setRowCount(static_cast<int>(plan.lines.size()));
    for (int row = 0; row < gridNahled->rowCount(); ++row) {
        const competition::PlacingLine& line = plan.lines[static_cast<std::size_t>(row)];
        const bool readable = line.read.readable();
        platform::setListRow(
            *gridNahled, row,
            {QString::fromStdString(line.team), QString::fromStdString(line.result),
             readable ? valueText(kind, line.read) : QString::fromStdString(line.read.problem),
             placeText(line.current), placeText(line.computed)});
        if (!readable) {
            gridNahled->item(row, kHodnota)->setForeground(Qt::darkRed);
            gridNahled->item(row, kHodnota)->setToolTip(QString::fromStdString(line.read.problem));
        }
        if (line.changed()) {
            emphasize(row);
        }
    }
    // The placings keep their width; the last column takes what is left.
    for (int column = 0; column <= kHodnota; ++column) {
        gridNahled->resizeColumnToContents(column);
    }
    btnZapsat->setEnabled(plan.writable());
    lblSouhrn->setText(!plan.writable() ? QString::fromStdString(plan.refusal())
                       : plan.changedCount() == 0
                           ? QStringLiteral("Žádné umístění se nezmění.")
                           : QStringLiteral("Změní se umístění: %1 (tučně); součty se přepočítají.")
                                 .arg(plan.changedCount()));
}

void TfrmUmisteni::write() {
    if (!plan_) {
        throw competition::Refusal("Umístění této disciplíny se zapisují ručně");
    }
    competition_.writePlacings(chosenRows(), *plan_);
}

}  // namespace zlt
