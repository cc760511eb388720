#include "settings/Nastaveni.h"

#include "platform/WindowGeometry.h"

namespace zlt {

TfrmNastaveni* frmNastaveni = nullptr;

TfrmNastaveni::TfrmNastaveni() {
    setWindowTitle(QStringLiteral("Nastaveni programu"));
    platform::placeWindow(*this, 400, 558);
}

}  // namespace zlt
