#include "platform/CheckLine.h"

#include <QMouseEvent>

#include "platform/Controls.h"
#include "platform/Guard.h"
#include "platform/WindowGeometry.h"

namespace zlt::platform {
namespace {

// Where the list's controls sit, in pixels of the dialog.
constexpr struct {
    QSize window{600, 340};
    QRect lblNapoveda{16, 12, 560, 20};
    QRect lstNalezy{16, 36, 560, 217};
    QRect btnPrejit{382, 265, 89, 25};
    QRect btnZpet{487, 265, 89, 25};
} kListLayout;

}  // namespace

QString findingsCount(int count) {
    const QString noun = count == 1                 ? QStringLiteral("nález")
                         : count >= 2 && count <= 4 ? QStringLiteral("nálezy")
                                                    : QStringLiteral("nálezů");
    return QStringLiteral("%1 %2").arg(count).arg(noun);
}

CheckLine::CheckLine(QWidget* parent, const QRect& box) : QLabel(parent) {
    setGeometry(box);
    QPalette warning = palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    setPalette(warning);
    setCursor(Qt::PointingHandCursor);
    hide();
}

void CheckLine::showFindings(int count, const QString& first) {
    whole_ = count == 0 ? QString()
                        : QStringLiteral("Kontrola: %1 – %2").arg(findingsCount(count), first);
    setToolTip(count == 0 ? QString()
                          : whole_ + QStringLiteral("\nKlepnutím zobrazíte všechny nálezy."));
    fitText();
    setVisible(count > 0);
}

void CheckLine::fitText() {
    setText(fontMetrics().elidedText(whole_, Qt::ElideRight, contentsRect().width()));
}

void CheckLine::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void CheckLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fitText();
}

FindingsList::FindingsList(QWidget* parent, const QString& caption, const QStringList& lines)
    : QDialog(parent) {
    setWindowTitle(caption);
    placeWindow(*this, kListLayout.window.width(), kListLayout.window.height());
    lblNapoveda = new QLabel(
        QStringLiteral("Vyberte nález a klepněte na Přejít: tabulka ukáže jeho buňku."), this);
    lblNapoveda->setGeometry(kListLayout.lblNapoveda);
    lstNalezy = new QListWidget(this);
    lstNalezy->setGeometry(kListLayout.lstNalezy);
    lstNalezy->addItems(lines);
    lstNalezy->setCurrentRow(0);
    btnPrejit = makeButton(this, QStringLiteral("Přejít"), kListLayout.btnPrejit,
                           QStringLiteral("Přesune kurzor tabulky na vybraný nález"));
    btnPrejit->setDefault(true);
    btnPrejit->setEnabled(!lines.isEmpty());
    btnZpet = makeButton(this, QStringLiteral("Zpět"), kListLayout.btnZpet);
    onSignal(btnPrejit, &QPushButton::clicked, this, [this] { accept(); });
    onSignal(btnZpet, &QPushButton::clicked, this, [this] { reject(); });
    onSignal(lstNalezy, &QListWidget::itemActivated, this, [this] { accept(); });
}

std::optional<int> FindingsList::choose() {
    const bool chosen = exec() == QDialog::Accepted && lstNalezy->currentRow() >= 0;
    // The keyboard comes back to the window, also where no window manager hands it on.
    if (QWidget* window = parentWidget()) {
        window->activateWindow();
    }
    return chosen ? std::optional<int>(lstNalezy->currentRow()) : std::nullopt;
}

}  // namespace zlt::platform
