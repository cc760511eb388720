#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "competition/Competition.h"
#include "competition/Diplomas.h"
#include "reports/DiplomTisk.h"

namespace zlt {

// "Diplomy": which teams get a diploma (the ranks of a round, the first places or all
// placed teams, and those without a place for taking part), how the paper lies, and the
// diplomas in the preview, from which they print. The dialog stays open for another choice.
class TfrmDiplomy : public QDialog {
    Q_OBJECT
public:
    TfrmDiplomy(competition::Competition& competition, QWidget* parent);

    void btnNahledClick();
    // The choice as the controls show it.
    competition::DiplomaChoice choice() const;

    QRadioButton* rbCelkove;
    QRadioButton* rbPredkolo;
    QRadioButton* rbFinale;
    QLabel* lblMista;
    QSpinBox* editMista;
    QCheckBox* chkVsechna;
    QCheckBox* chkUcast;
    QRadioButton* rbNaSirku;
    QRadioButton* rbNaVysku;
    QLabel* lblSouhrn;
    QPushButton* btnNahled;
    QPushButton* btnZpet;

private:
    // Tells who gets a diploma with the choice made, or why nobody does, after what the
    // check found in the rounds the diplomas come from.
    void showChoice();
    db::ResultSet& chosenRows();

    competition::Competition& competition_;
    TfrmDiplomTisk diplomas_;
};

}  // namespace zlt
