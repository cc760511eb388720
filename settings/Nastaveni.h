#pragma once

#include <QDialog>

namespace zlt {

// The event settings window, shown modally from the main window.
class TfrmNastaveni : public QDialog {
    Q_OBJECT
public:
    TfrmNastaveni();
};

extern TfrmNastaveni* frmNastaveni;

}  // namespace zlt
