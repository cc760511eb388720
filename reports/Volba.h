#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>

#include "competition/Competition.h"
#include "platform/ClassicDialog.h"

namespace zlt {

// The print choice dialog, shown modally from the main window: one sheet per preliminary
// discipline and the running standings.
class TfrmVolbaTisku : public platform::ClassicDialog {
    Q_OBJECT
public:
    explicit TfrmVolbaTisku(competition::Competition& competition);

    // btn1D to btn6D: the results sheet of discipline 1 to 6.
    void btnNDClick(int discipline);
    void btnVDClick();
    void btnZpetClick();

    QLabel* Label1;
    std::array<QPushButton*, 6> btnND;  // btn1D to btn6D
    QPushButton* btnVD;
    QPushButton* btnZpet;

private:
    const competition::EventDetails& details_;
};

extern TfrmVolbaTisku* frmVolbaTisku;

}  // namespace zlt
