#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "competition/Competition.h"

namespace zlt {

// A dialog that previews a change to one round's rows and makes it only on "Zapsat": the
// rank computation and the team import. The round is chosen at the top; the preview is
// shown again whenever the choice changes.
class RoundDialog : public QDialog {
    Q_OBJECT
public:
    RoundDialog(competition::Competition& competition, QWidget* parent, const QString& caption,
                QSize size);

    void btnZapsatClick();

    QRadioButton* rbPredkolo;
    QRadioButton* rbFinale;
    QTableWidget* gridNahled;
    QLabel* lblSouhrn;
    QPushButton* btnZapsat;
    QPushButton* btnZpet;

protected:
    db::ResultSet& chosenRows();
    // The preview's grid from this height down, and the summary below it.
    void placePreview(int top, const QStringList& titles);
    // Sets a row of the preview in bold: one the writing changes, or one with a warning.
    void emphasize(int row);

    virtual void showPreview() = 0;
    // Writes what the preview shows.
    virtual void write() = 0;

    competition::Competition& competition_;
};

}  // namespace zlt
