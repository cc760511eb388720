#pragma once

#include <deque>
#include <vector>

#include "platform/Dialogs.h"

namespace zlt::test {

// Answers the program's message boxes during a test and keeps every one it was shown.
// Unqueued boxes get OK, or the default button of a question, so nothing ever blocks.
class DialogRecorder {
public:
    DialogRecorder() { install(); }
    // Answers the boxes again after a test let real ones show (Dialogs::setResponder({})).
    void install() {
        platform::Dialogs::setResponder([this](const platform::DialogRequest& request) {
            requests.push_back(request);
            if (!answers_.empty()) {
                const platform::DialogButton next = answers_.front();
                answers_.pop_front();
                return next;
            }
            return request.icon == platform::DialogIcon::Question ? request.defaultButton
                                                                  : platform::DialogButton::Ok;
        });
    }
    ~DialogRecorder() {
        platform::Dialogs::setResponder({});
        platform::Dialogs::setInputResponder({});
    }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    void answer(platform::DialogButton button) { answers_.push_back(button); }
    // Every folder, file and text asked for from now on is answered with this.
    void answerInputs(const QString& path) {
        platform::Dialogs::setInputResponder([path](const QString&) { return path; });
    }

    std::vector<platform::DialogRequest> requests;

private:
    std::deque<platform::DialogButton> answers_;
};

}  // namespace zlt::test
