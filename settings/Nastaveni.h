#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <string>
#include <vector>

#include "platform/ClassicDialog.h"

namespace zlt {

// The event settings window, shown modally from the main window. Its boxes are the live
// texts the sheets print; confirming applies them to the windows and the sheets and saves
// them in the settings file.
class TfrmNastaveni : public platform::ClassicDialog {
    Q_OBJECT
public:
    TfrmNastaveni();

    // Creation handler: fill the boxes from the settings file and show the season's
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
    // The settings file's lines as last read or written; never shown.
    std::vector<std::string> Memo;

    // The eleven text boxes in the order of the settings file's lines.
    std::array<QLineEdit*, 11> boxes() const;

protected:
    bool event(QEvent* event) override;

private:
    void buildBoxes();
    void buildChoices();
    void buildButtons();
    void refuseUnsavableText() const;
};

extern TfrmNastaveni* frmNastaveni;

}  // namespace zlt
