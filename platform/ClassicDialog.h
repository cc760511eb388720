#pragma once

#include <QDialog>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace zlt::platform {

// A modal window as the classic desktop made them without a default or cancel button:
// Enter presses no button and Esc closes nothing.
class ClassicDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    QPushButton* addButton(const QString& caption, const QRect& geometry);
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zlt::platform
