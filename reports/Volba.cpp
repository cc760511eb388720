#include "reports/Volba.h"

#include "platform/WindowGeometry.h"

namespace zlt {

TfrmVolbaTisku* frmVolbaTisku = nullptr;

TfrmVolbaTisku::TfrmVolbaTisku() {
    setWindowTitle(QStringLiteral("Volba Tisku"));
    platform::placeWindow(*this, 211, 351);
    move(460, 177);
}

}  // namespace zlt
