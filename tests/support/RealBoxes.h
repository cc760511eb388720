#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"
#include "tests/support/Operator.h"

namespace zlt::test {

// Shows the program's message boxes on the screen while it lives, each answered inside its
// exec() by `answer` once it is up (told which box of the test it is), and keeps their texts
// in `shown`. A test's DialogRecorder answers them again once it is installed anew.
class RealBoxes {
public:
    using Answer = std::function<void(QMessageBox&, std::size_t)>;

    RealBoxes(std::vector<QString>& shown, Answer answer)
        : shown_(shown), answer_(std::move(answer)) {
        platform::Dialogs::setResponder({});
        QObject::connect(&poll_, &QTimer::timeout, [this] { answerBoxOnScreen(); });
        poll_.start(10);
    }

    // A box's own button, pressed as a person presses it: Enter on the button with the focus.
    static void press(QMessageBox& box, QMessageBox::StandardButton button) {
        box.button(button)->setFocus();
        op::press(Qt::Key_Return);
    }

private:
    void answerBoxOnScreen() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        // A box answered may still be up at the next tick on a loaded machine; one that
        // stays up did not take the answer, and is closed so the test fails at once.
        if (box == answered_) {
            if (answeredAt_.elapsed() > 5000) {
                ADD_FAILURE() << "the box did not take its answer";
                box->done(0);
            }
            return;
        }
        answered_ = box;
        answeredAt_.start();
        shown_.push_back(box->text());
        if (shown_.size() > 5) {
            ADD_FAILURE() << "the boxes do not close";
            box->done(0);
            return;
        }
        answer_(*box, shown_.size() - 1);
    }

    std::vector<QString>& shown_;
    Answer answer_;
    QTimer poll_;
    QPointer<QMessageBox> answered_;  // the box last answered, until it is gone
    QElapsedTimer answeredAt_;
};

}  // namespace zlt::test
