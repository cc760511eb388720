#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "office/RoundDialog.h"

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
    void read(const std::function<competition::TeamList()>& reading, const QString& source);
    void showPreview() override;
    void showLines();
    void showRefusal();
    void write() override;

    std::optional<competition::TeamList> list_;
    // Why the last list was refused for its size; empty when it was not.
    QString sizeRefusal_;
    // What the preview shows in place of the lines: the size refusal, or the round's rows
    // the list would make too many. Empty when it shows the lines.
    QString refusal_;
    std::vector<competition::ImportLine> lines_;
};

}  // namespace zlt
