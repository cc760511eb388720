#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <optional>
#include <vector>

namespace zlt::platform {

// "1 nález", "3 nálezy", "7 nálezů".
QString findingsCount(int count);

// A red line in a results window that tells what the check of its round found, hidden
// while it found nothing. Too long a line is cut short with "…" and told whole in its
// hint; a click on it asks for the whole list.
class CheckLine : public QLabel {
    Q_OBJECT
public:
    CheckLine(QWidget* parent, const QRect& box);

    // "Kontrola: 2 nálezy – <the first finding's text>".
    void showFindings(int count, const QString& first);
    // The same for findings that each have a Czech sentence, text (UTF-8).
    template <typename Finding>
    void showFindings(const std::vector<Finding>& findings) {
        showFindings(static_cast<int>(findings.size()),
                     findings.empty() ? QString() : QString::fromStdString(findings.front().text));
    }
    // The line as told, before it is cut to the width.
    const QString& wholeText() const { return whole_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitText();

    QString whole_;
};

// The findings of a round listed one a line; "Přejít", a double-click or Enter chooses the
// one the grid then goes to, "Zpět" or Esc chooses none.
class FindingsList : public QDialog {
    Q_OBJECT
public:
    FindingsList(QWidget* parent, const QString& caption, const QStringList& lines);

    // Shows the list modally; the line chosen, if any.
    std::optional<int> choose();
    // Lists findings that each tell themselves in a line(); the one chosen, or none.
    template <typename Finding>
    static const Finding* choose(QWidget* parent, const QString& caption,
                                 const std::vector<Finding>& findings) {
        QStringList lines;
        for (const Finding& finding : findings) {
            lines << QString::fromStdString(finding.line());
        }
        FindingsList list(parent, caption, lines);
        const std::optional<int> chosen = list.choose();
        return chosen ? &findings[static_cast<std::size_t>(*chosen)] : nullptr;
    }

    QLabel* lblNapoveda;
    QListWidget* lstNalezy;
    QPushButton* btnPrejit;
    QPushButton* btnZpet;
};

}  // namespace zlt::platform
