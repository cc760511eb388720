#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace zlt::platform {

enum class DialogIcon { Stop, Question, Information, Warning };
// Numbered as the classic message box results, which is what callers compare against.
enum class DialogButton { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct DialogRequest {
    QString caption;
    QString text;
    DialogIcon icon;
    std::vector<DialogButton> buttons;
    DialogButton defaultButton;
};

// Every modal message box of the program goes through here, so that a test can answer
// them instead of a person, and none ever blocks a test.
class Dialogs {
public:
    static void setApplicationTitle(const QString& title);
    static QString applicationTitle();

    // The general error message: the error's text with a full stop added when it does not
    // end in one, OK, the stop icon, captioned with the application title.
    static void showError(const QString& text);
    // Yes, No and Cancel with the question icon and No as the default; Esc is Cancel.
    static DialogButton askYesNoCancel(const QString& caption, const QString& text);
    // "Delete record?" with OK and Cancel; true only for OK.
    static bool confirmDelete();

    // Before a change to the whole event: when other judges' tables have the database open,
    // asks whether to go on anyway. True when there are none, or on Yes.
    static bool confirmBesideOtherTables(const QString& caption, int otherTables);

    static DialogButton show(const DialogRequest& request);

    using Responder = std::function<DialogButton(const DialogRequest&)>;
    // Answers every box instead of showing it; an empty responder shows real boxes again.
    static void setResponder(Responder responder);

    // A folder, or a file to open, that the user chooses; empty when none was chosen.
    static QString chooseFolder(const QString& caption);
    static QString chooseFile(const QString& caption, const QString& filter);
    // A line of text the user types, starting from `text`; none when cancelled (an answer
    // that is a null string, for a responder).
    static std::optional<QString> askText(const QString& caption, const QString& label,
                                          const QString& text);
    using InputResponder = std::function<QString(const QString& caption)>;
    // Answers every folder, file and text asked for instead of showing the dialog, as
    // setResponder does.
    static void setInputResponder(InputResponder responder);
};

}  // namespace zlt::platform
