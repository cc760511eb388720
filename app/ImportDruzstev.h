#pragma once

#include <optional>
#include <vector>

#include "app/RoundDialog.h"

namespace zlt {

// "Import družstev": team names from a spreadsheet's file or from the clipboard, listed
// with their warnings before anything is written, and written on "Zapsat".
class TfrmImportDruzstev : public RoundDialog {
    Q_OBJECT
public:
    TfrmImportDruzstev(competition::Competition& competition, QWidget* parent);

    void btnSouborClick();
    void btnSchrankaClick();

    QPushButton* btnSoubor;
    QPushButton* btnSchranka;
    QLabel* lblZdroj;

private:
    void read(const std::string& bytes, const QString& source);
    void showPreview() override;
    void write() override;

    std::optional<competition::TeamList> list_;
    std::vector<competition::ImportLine> lines_;
};

}  // namespace zlt
