#include "office/Poradi.h"

#include "platform/Controls.h"
#include "platform/Guard.h"

namespace zlt {
namespace {

constexpr QSize kWindow{520, 560};
// The summary holds two lines: of a long list of teams without a rank it names a few and
// counts the rest; its tooltip has them all.
constexpr int kListedUnranked = 4;

QString rankText(const std::optional<int>& rank) {
    return rank ? QString::number(*rank) : QString();
}

}  // namespace

TfrmPoradi::TfrmPoradi(competition::Competition& competition, QWidget* parent)
    : RoundDialog(competition, parent, QStringLiteral("Spočítat pořadí"), kWindow) {
    chkRozstrel = new QCheckBox(
        QStringLiteral("Při shodě součtů rozhoduje víc prvních míst, pak druhých…"), this);
    chkRozstrel->setGeometry(16, 40, 488, 20);
    platform::onSignal(chkRozstrel, &QCheckBox::toggled, this, [this] { showPreview(); });
    lblNapoveda = new QLabel(
        QStringLiteral("Nejnižší součet je první, stejné součty sdílejí místo (1, 2, 2, 4). "
                       "Počítá se z uložených součtů; ty se tu znovu nesčítají. Řádek, jehož "
                       "součet po změně pořadí nebyl přepočítán klávesou Enter, se tu nepozná."),
        this);
    lblNapoveda->setGeometry(16, 64, 488, 52);
    lblNapoveda->setWordWrap(true);
    placePreview(120, {QStringLiteral("Družstvo"), QStringLiteral("Nyní"), QStringLiteral("Nově")});
    showPreview();
}

void TfrmPoradi::showPreview() {
    lines_ = competition::proposeRanks(chosenRows(), chkRozstrel->isChecked());
    gridNahled->setRowCount(static_cast<int>(lines_.size()));
    int changed = 0;
    QStringList unranked;
    for (int row = 0; row < gridNahled->rowCount(); ++row) {
        const competition::RankLine& line = lines_[static_cast<std::size_t>(row)];
        const QString team = QString::fromStdString(line.team).trimmed();
        platform::setListRow(*gridNahled, row,
                             {team, rankText(line.current), rankText(line.computed)});
        if (line.changed()) {
            emphasize(row);
            ++changed;
        }
        if (!line.computed) {
            unranked << (team.isEmpty() ? QStringLiteral("(bez jména)") : team);
        }
    }
    gridNahled->resizeColumnToContents(0);
    QString summary = changed == 0 ? QStringLiteral("Žádné pořadí se nezmění.")
                                   : QStringLiteral("Změní se pořadí: %1 (tučně).").arg(changed);
    QString listed = QStringList(unranked.mid(0, kListedUnranked)).join(QStringLiteral(", "));
    if (unranked.size() > kListedUnranked) {
        listed += QStringLiteral(" a dalších %1").arg(unranked.size() - kListedUnranked);
    }
    if (!unranked.isEmpty()) {
        summary += QStringLiteral(" Bez pořadí (chybí součet nebo jméno): %1.").arg(listed);
    }
    lblSouhrn->setText(summary);
    lblSouhrn->setToolTip(unranked.join(QLatin1Char('\n')));
}

void TfrmPoradi::write() {
    competition_.writeRanks(chosenRows(), lines_);
}

}  // namespace zlt
