#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "competition/Competition.h"
#include "platform/ClassicDialog.h"

namespace zlt {

// The event settings window, shown modally from the main window. Its boxes edit the
// event's live texts, which the sheets print; confirming applies the details and saves
// them in the settings file.
class TfrmNastaveni : public platform::ClassicDialog {
    Q_OBJECT
public:
    explicit TfrmNastaveni(competition::Competition& competition);

    // Creation handler: read the settings file into the boxes and show the season's
    // picture in the main window.
    void FormCreate();
    void FormActivate();
    void btnPotvrditClick();
    void btnNeuvadetClick();
    void Button2Click();
    void btnDeleteClick();

    QLabel* Label1;
    QLabel* Label12;
    QLineEdit* EditCislo;
    QLabel* Label2;
    QLineEdit* EditObec;
    std::array<QLabel*, 5> LabelND;    // Label3 to Label7
    std::array<QLineEdit*, 5> EditND;  // Edit1D to Edit5D
    QLabel* Label8;
    QLineEdit* Edit6D;
    std::array<QLabel*, 3> LabelNFD;    // Label9 to Label11
    std::array<QLineEdit*, 3> EditNFD;  // Edit1FD to Edit3FD
    QCheckBox* CheckBox1;
    QPushButton* btnDelete;
    QRadioButton* rbLetni;
    QRadioButton* rbZimni;
    QPushButton* btnPotvrdit;
    QPushButton* btnNeuvadet;
    QPushButton* Button2;

    // The eleven text boxes in the order of the settings file's lines.
    std::array<QLineEdit*, 11> boxes() const;

protected:
    bool event(QEvent* event) override;

private:
    void buildBoxes();
    void buildChoices();
    void buildButtons();
    void showLoadedDetails();

    competition::Competition& competition_;
    competition::EventDetails& details_;
};

extern TfrmNastaveni* frmNastaveni;

}  // namespace zlt
