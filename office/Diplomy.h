#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "competition/Competition.h"
#include "competition/Diplomas.h"
#include "reports/DiplomTisk.h"

namespace zlt {

// "Diplomy": which teams get a diploma (the ranks of a round, the first places or all
// placed teams, and those without a place for taking part), how the paper lies, the lines
// to sign and their captions (kept in the event folder), and the diplomas in the preview,
// from which they print. The dialog stays open for another choice.
class TfrmDiplomy : public QDialog {
    Q_OBJECT
public:
    TfrmDiplomy(competition::Competition& competition, QWidget* parent);

    void btnNahledClick();
    // The choice as the controls show it.
    competition::DiplomaChoice choice() const;
    competition::DiplomaLayout layout() const;

    QRadioButton* rbCelkove;
    QRadioButton* rbPredkolo;
    QRadioButton* rbFinale;
    QLabel* lblMista;
    QSpinBox* editMista;
    QCheckBox* chkVsechna;
    QCheckBox* chkUcast;
    QRadioButton* rbNaSirku;
    QRadioButton* rbNaVysku;
    QCheckBox* chkPodpisy;
    QLineEdit* editPodpis1;
    QLineEdit* editPodpis2;
    QLabel* lblSouhrn;
    QPushButton* btnNahled;
    QPushButton* btnZpet;

private:
    // Tells who gets a diploma with the choice made, or why nobody does, after what the
    // check found in the rounds the diplomas come from.
    void showChoice();
    db::ResultSet& chosenRows();
    // Keeps the layout when the controls changed it; what went wrong joins the problems.
    void keepLayout(QStringList& problems);

    competition::Competition& competition_;
    TfrmDiplomTisk diplomas_;
    competition::KeptDiplomaLayout kept_;
};

}  // namespace zlt
