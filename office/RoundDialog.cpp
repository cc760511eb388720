#include "office/RoundDialog.h"

#include "platform/Controls.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"

namespace zlt {
namespace {

constexpr int kMargin = 16;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;
constexpr int kSummaryHeight = 36;

}  // namespace

RoundDialog::RoundDialog(competition::Competition& competition, QWidget* parent,
                         const QString& caption, QSize size)
    : QDialog(parent), competition_(competition) {
    setWindowTitle(caption);
    platform::placeWindow(*this, size.width(), size.height());
    rbPredkolo = new QRadioButton(QStringLiteral("Předkolo"), this);
    rbPredkolo->setGeometry(kMargin, 12, 120, 20);
    rbPredkolo->setChecked(true);
    rbFinale = new QRadioButton(QStringLiteral("Finále"), this);
    rbFinale->setGeometry(kMargin + 128, 12, 120, 20);
    for (QRadioButton* round : {rbPredkolo, rbFinale}) {
        platform::onSignal(round, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                showPreview();
            }
        });
    }
    // The size is the window's outer size, as everywhere; the buttons sit in what is inside.
    const int buttonsTop = height() - kMargin - kButtonHeight;
    btnZapsat = platform::makeButton(
        this, QStringLiteral("Zapsat"),
        {width() - 2 * (kButtonWidth + kMargin) + 8, buttonsTop, kButtonWidth, kButtonHeight});
    platform::onSignal(btnZapsat, &QPushButton::clicked, this, [this] { btnZapsatClick(); });
    btnZpet = platform::makeButton(
        this, QStringLiteral("Zpět"),
        {width() - kButtonWidth - kMargin, buttonsTop, kButtonWidth, kButtonHeight});
    platform::onSignal(btnZpet, &QPushButton::clicked, this, [this] { reject(); });
}

void RoundDialog::placePreview(int top, const QStringList& titles) {
    const int width = this->width() - 2 * kMargin;
    const int summaryTop = btnZapsat->y() - 8 - kSummaryHeight;
    gridNahled = platform::makeListGrid(this, {kMargin, top, width, summaryTop - 8 - top}, titles);
    lblSouhrn = new QLabel(this);
    lblSouhrn->setGeometry(kMargin, summaryTop, width, kSummaryHeight);
    lblSouhrn->setWordWrap(true);
    lblSouhrn->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void RoundDialog::emphasize(int row) {
    for (int column = 0; column < gridNahled->columnCount(); ++column) {
        if (QTableWidgetItem* item = gridNahled->item(row, column)) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
    }
}

db::ResultSet& RoundDialog::chosenRows() {
    return rbFinale->isChecked() ? competition_.finals() : competition_.preliminary();
}

// A refusal leaves the dialog open with its preview, so the operator can choose again.
void RoundDialog::btnZapsatClick() {
    write();
    accept();
}

}  // namespace zlt
