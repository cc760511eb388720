#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "competition/Competition.h"

namespace zlt {

// "Jak se hodnotí disciplíny": for each discipline of both rounds how its results are read
// (by hand, a time, a distance or points), whether the order is turned round, and whether
// teams without a result share the last place. Saved on "Uložit".
class TfrmDiscipliny : public QDialog {
    Q_OBJECT
public:
    TfrmDiscipliny(competition::Competition& competition, QWidget* parent);

    void btnUlozitClick();
    // The choices as the controls show them.
    competition::DisciplineRules rules() const;

    // Why the saved choices could not be read, in red; hidden when they could.
    QLabel* lblChyba;
    // One of each per discipline, 1-6 then the finals' 1-3.
    std::array<QLabel*, 9> lblDisciplina{};
    std::array<QComboBox*, 9> cbHodnoceni{};
    std::array<QCheckBox*, 9> chkObracene{};
    std::array<QCheckBox*, 9> chkPosledni{};
    std::array<QLabel*, 9> lblLepsi{};
    QLabel* lblNapoveda;
    QPushButton* btnUlozit;
    QPushButton* btnZpet;

private:
    void buildRow(std::size_t index, int top);
    competition::DisciplineRule ruleOf(std::size_t index) const;
    void showRule(std::size_t index, const competition::DisciplineRule& rule);
    // Tells which results are better; the turning and the last place mean nothing for a
    // discipline placed by hand.
    void showBetter(std::size_t index);

    competition::Competition& competition_;
};

}  // namespace zlt
