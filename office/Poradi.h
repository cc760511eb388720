#pragma once

#include <QCheckBox>
#include <vector>

#include "office/RoundDialog.h"

namespace zlt {

// "Spočítat pořadí": the ranks of a round computed from its totals, shown beside the
// current ones, and written on "Zapsat".
class TfrmPoradi : public RoundDialog {
    Q_OBJECT
public:
    TfrmPoradi(competition::Competition& competition, QWidget* parent);

    QCheckBox* chkRozstrel;
    QLabel* lblNapoveda;

private:
    void showPreview() override;
    void write() override;

    std::vector<competition::RankLine> lines_;
};

}  // namespace zlt
