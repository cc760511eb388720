#include "reports/Volba.h"

#include <QScopeGuard>

#include "platform/Guard.h"
#include "platform/WindowGeometry.h"
#include "reports/Preview.h"
#include "reports/TiskDisc.h"
#include "reports/ZLTTisk.h"

namespace zlt {

TfrmVolbaTisku* frmVolbaTisku = nullptr;

namespace {

// Where the dialog and its controls sit, in pixels of the screen and of the dialog.
constexpr struct {
    QRect window{460, 177, 211, 351};
    QPoint Label1{40, 8};
    std::array<QRect, 6> btnND{{{40, 40, 129, 25},
                                {40, 72, 129, 25},
                                {40, 104, 129, 25},
                                {40, 136, 129, 25},
                                {40, 168, 129, 25},
                                {40, 200, 129, 25}}};
    QRect btnVD{40, 232, 129, 25};
    QRect btnZpet{64, 280, 75, 25};
} kLayout;

}  // namespace

TfrmVolbaTisku::TfrmVolbaTisku(competition::Competition& competition)
    : details_(competition.details()) {
    setWindowTitle(QStringLiteral("Volba Tisku"));
    platform::placeWindow(*this, kLayout.window.width(), kLayout.window.height());
    move(kLayout.window.topLeft());
    Label1 = new QLabel(QStringLiteral("Vyber, co chceš vytisknout"), this);
    Label1->move(kLayout.Label1);
    Label1->adjustSize();
    for (int i = 0; i < 6; ++i) {
        const QString caption = i < 5 ? QStringLiteral("%1. Disciplínu").arg(i + 1)
                                      : QStringLiteral("6. Disciplínu - průběžnou");
        btnND[i] = addButton(caption, kLayout.btnND[i]);
        platform::onSignal(btnND[i], &QPushButton::clicked, this, [this, i] { btnNDClick(i + 1); });
    }
    btnVD = addButton(QStringLiteral("Všechny disciplíny"), kLayout.btnVD);
    platform::onSignal(btnVD, &QPushButton::clicked, this, [this] { btnVDClick(); });
    btnZpet = addButton(QStringLiteral("Zpět"), kLayout.btnZpet);
    platform::onSignal(btnZpet, &QPushButton::clicked, this, [this] { btnZpetClick(); });
    const QWidget* const order[] = {btnND[0], btnND[1], btnZpet,  btnND[2],
                                    btnND[3], btnND[4], btnND[5], btnVD};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    }
}

// The dialog stays on the screen behind the preview and leaves only once it is closed,
// also when the sheet could not be made; the user then lands in the main window.
void TfrmVolbaTisku::btnNDClick(int discipline) {
    const auto leave = qScopeGuard([this] { reject(); });
    frmTiskDisc->prepare(details_, discipline);
    reports::previewReport(frmTiskDisc->QuickRep1);
}

void TfrmVolbaTisku::btnVDClick() {
    const auto leave = qScopeGuard([this] { reject(); });
    frmZLTTisk->prepare(details_);
    reports::previewReport(frmZLTTisk->QuickRep1);
}

void TfrmVolbaTisku::btnZpetClick() {
    reject();
}

}  // namespace zlt
