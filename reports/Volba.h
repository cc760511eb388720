#pragma once

#include <QDialog>

namespace zlt {

// The print choice dialog, shown modally from the main window.
class TfrmVolbaTisku : public QDialog {
    Q_OBJECT
public:
    TfrmVolbaTisku();
};

extern TfrmVolbaTisku* frmVolbaTisku;

}  // namespace zlt
