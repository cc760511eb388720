#include "reports/Volba.h"

#include <QScopeGuard>

#include "app/SharedState.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"
#include "reports/Preview.h"
#include "reports/TiskDisc.h"
#include "reports/ZLTTisk.h"
#include "settings/Nastaveni.h"

namespace zlt {

TfrmVolbaTisku* frmVolbaTisku = nullptr;

TfrmVolbaTisku::TfrmVolbaTisku() {
    setWindowTitle(QStringLiteral("Volba Tisku"));
    platform::placeWindow(*this, 211, 351);
    move(460, 177);
    Label1 = new QLabel(QStringLiteral("Vyber, co chceš vytisknout"), this);
    Label1->move(40, 8);
    Label1->adjustSize();
    for (int i = 0; i < 6; ++i) {
        const QString caption = i < 5 ? QStringLiteral("%1. Disciplínu").arg(i + 1)
                                      : QStringLiteral("6. Disciplínu - průběžnou");
        btnND[i] = addButton(caption, {40, 40 + 32 * i, 129, 25});
        connect(btnND[i], &QPushButton::clicked, this,
                [this, i] { platform::runGuarded([&] { btnNDClick(i + 1); }); });
    }
    btnVD = addButton(QStringLiteral("Všechny disciplíny"), {40, 232, 129, 25});
    connect(btnVD, &QPushButton::clicked, this,
            [this] { platform::runGuarded([this] { btnVDClick(); }); });
    btnZpet = addButton(QStringLiteral("Zpět"), {64, 280, 75, 25});
    connect(btnZpet, &QPushButton::clicked, this,
            [this] { platform::runGuarded([this] { btnZpetClick(); }); });
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
    const auto edits = frmNastaveni->boxes();
    frmTiskDisc->chooseDiscipline(discipline, edits[1 + discipline]->text(),
                                  frmNastaveni->EditCislo->text());
    reports::previewReport(frmTiskDisc->QuickRep1);
}

void TfrmVolbaTisku::btnVDClick() {
    const auto leave = qScopeGuard([this] { reject(); });
    if (Potvrzeno) {
        frmZLTTisk->headWithEdition(frmNastaveni->EditCislo->text());
    }
    reports::previewReport(frmZLTTisk->QuickRep1);
}

void TfrmVolbaTisku::btnZpetClick() {
    reject();
}

}  // namespace zlt
