#pragma once

#include <QComboBox>
#include <optional>

#include "office/RoundDialog.h"

namespace zlt {

// "Umístění z výsledků": the placings that one discipline's results call for by the
// discipline's choice, shown beside the current ones with each result as typed and the
// value read from it, and written on "Zapsat" with the totals.
class TfrmUmisteni : public RoundDialog {
    Q_OBJECT
public:
    TfrmUmisteni(competition::Competition& competition, QWidget* parent);

    QLabel* lblDisciplina;
    QComboBox* cbDisciplina;
    // How the chosen discipline is judged.
    QLabel* lblPravidlo;

private:
    competition::Discipline chosenDiscipline() const;
    // Offers the round's disciplines, keeping the number chosen where the round has it.
    void offerDisciplines();
    void showPreview() override;
    void showPlan(const competition::PlacingPlan& plan, competition::ResultKind kind);
    void write() override;

    std::optional<competition::PlacingPlan> plan_;
};

}  // namespace zlt
