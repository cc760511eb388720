#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "tests/support/Application.h"
#include "tests/support/DialogRecorder.h"

namespace zlt::platform {
namespace {

using test::DialogRecorder;
using test::ensureApplication;
using Buttons = std::vector<DialogButton>;

TEST(ErrorMessage, EndsInExactlyOneFullStopWithStopIconOkAndApplicationTitle) {
    DialogRecorder dialogs;
    Dialogs::showError(QStringLiteral("Cannot open file a.txt"));
    Dialogs::showError(QStringLiteral("Hotovo."));
    Dialogs::showError(QStringLiteral("Počkejte..."));
    Dialogs::setApplicationTitle(QStringLiteral("Zeltoria games"));
    Dialogs::showError(QStringLiteral("Chyba"));
    Dialogs::setApplicationTitle(QStringLiteral("ZLT"));

    ASSERT_EQ(dialogs.requests.size(), 4u);
    EXPECT_EQ(dialogs.requests[0].text, QStringLiteral("Cannot open file a.txt."));
    EXPECT_EQ(dialogs.requests[1].text, QStringLiteral("Hotovo."));
    EXPECT_EQ(dialogs.requests[2].text, QStringLiteral("Počkejte..."));
    for (const DialogRequest& request : dialogs.requests) {
        SCOPED_TRACE(request.text.toStdString());
        EXPECT_EQ(request.icon, DialogIcon::Stop);
        EXPECT_EQ(request.buttons, Buttons{DialogButton::Ok});
    }
    EXPECT_EQ(dialogs.requests[0].caption, QStringLiteral("ZLT"));
    EXPECT_EQ(dialogs.requests[3].caption, QStringLiteral("Zeltoria games"));
}

TEST(Questions, YesNoCancelDefaultsToNoAndReturnsTheAnswer) {
    DialogRecorder dialogs;
    dialogs.answer(DialogButton::Yes);
    EXPECT_EQ(Dialogs::askYesNoCancel(QStringLiteral("Uložit"), QStringLiteral("Uložit změny?")),
              DialogButton::Yes);
    EXPECT_EQ(Dialogs::askYesNoCancel(QStringLiteral("Uložit"), QStringLiteral("Znovu?")),
              DialogButton::No);

    const DialogRequest& request = dialogs.requests.at(0);
    EXPECT_EQ(request.caption, QStringLiteral("Uložit"));
    EXPECT_EQ(request.text, QStringLiteral("Uložit změny?"));
    EXPECT_EQ(request.icon, DialogIcon::Question);
    EXPECT_EQ(request.buttons,
              (Buttons{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
    EXPECT_EQ(request.defaultButton, DialogButton::No);
}

TEST(Questions, ConfirmDeleteIsTrueOnlyForOk) {
    DialogRecorder dialogs;
    dialogs.answer(DialogButton::Ok);
    dialogs.answer(DialogButton::Cancel);
    EXPECT_TRUE(Dialogs::confirmDelete());
    EXPECT_FALSE(Dialogs::confirmDelete());

    const DialogRequest& request = dialogs.requests.at(0);
    EXPECT_EQ(request.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(request.text, QStringLiteral("Delete record?"));
    EXPECT_EQ(request.icon, DialogIcon::Question);
    EXPECT_EQ(request.buttons, (Buttons{DialogButton::Ok, DialogButton::Cancel}));
}

TEST(Guard, ShowsWhatAHandlerThrowsAndCarriesOn) {
    DialogRecorder dialogs;
    int stepsDone = 0;
    EXPECT_FALSE(runGuarded([&] {
        ++stepsDone;
        throw std::runtime_error("Soubor „výsledky.txt“ nelze otevřít");
    }));
    EXPECT_FALSE(runGuarded([] { throw 42; }));
    EXPECT_FALSE(runGuarded([] {
        throw std::filesystem::filesystem_error(
            "", "/media/USB/zalohy", std::make_error_code(std::errc::read_only_file_system));
    }));
    EXPECT_TRUE(runGuarded([&] { ++stepsDone; }));

    EXPECT_EQ(stepsDone, 2);
    ASSERT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(dialogs.requests[2].text,
              QStringLiteral("Se souborem nebo složkou /media/USB/zalohy nelze pracovat: disk je "
                             "jen ke čtení."));
    EXPECT_EQ(dialogs.requests[0].text, QStringLiteral("Soubor „výsledky.txt“ nelze otevřít."));
    EXPECT_EQ(dialogs.requests[0].icon, DialogIcon::Stop);
    EXPECT_EQ(dialogs.requests[1].text, QStringLiteral("Unknown error."));
}

// What a real box showed before it was answered.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    Qt::TextFormat format = Qt::AutoText;
};

// Shows the request as a real modal box and, once it is up, does what `act` does to it.
// A box still open after five seconds is closed, so a wrong mapping fails instead of hanging.
DialogButton showAndAct(const DialogRequest& request, const std::function<void(QMessageBox*)>& act,
                        SeenBox& seen) {
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (!acted) {
            acted = true;
            seen = {box->windowTitle(),
                    box->text(),
                    box->icon(),
                    box->standardButtons(),
                    box->standardButton(box->defaultButton()),
                    box->textFormat()};
            act(box);
        } else if (waited.elapsed() > 5000) {
            ADD_FAILURE() << "the box did not close";
            box->done(0);
        }
    });
    poll.start(10);
    return Dialogs::show(request);
}

// The key goes through the window system to the box's focus widget, as a person's would.
void pressKey(QMessageBox* box, Qt::Key key) {
    QApplication::processEvents();
    QTest::keyClick(box->windowHandle(), key);
}

// The click goes through the window system at the button's place in the box.
void clickButton(QMessageBox* box, QMessageBox::StandardButton which) {
    QApplication::processEvents();
    const QAbstractButton* button = box->button(which);
    QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(box, button->rect().center()));
}

TEST(RealBoxes, MapButtonsDefaultAndEscape) {
    ensureApplication();
    const DialogRequest question{QStringLiteral("Uložit"),
                                 QStringLiteral("Uložit <b>změny</b>?"),
                                 DialogIcon::Question,
                                 {DialogButton::Yes, DialogButton::No, DialogButton::Cancel},
                                 DialogButton::No};
    SeenBox seen;
    EXPECT_EQ(showAndAct(
                  question, [](QMessageBox* box) { clickButton(box, QMessageBox::Yes); }, seen),
              DialogButton::Yes);
    EXPECT_EQ(seen.caption, question.caption);
    EXPECT_EQ(seen.text, question.text);
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);

    EXPECT_EQ(showAndAct(
                  question, [](QMessageBox* box) { pressKey(box, Qt::Key_Return); }, seen),
              DialogButton::No);
    EXPECT_EQ(showAndAct(
                  question, [](QMessageBox* box) { pressKey(box, Qt::Key_Escape); }, seen),
              DialogButton::Cancel);
    EXPECT_EQ(showAndAct(
                  question, [](QMessageBox* box) { box->close(); }, seen),
              DialogButton::Cancel);

    const DialogRequest error{QStringLiteral("ZLT"),
                              QStringLiteral("Chyba."),
                              DialogIcon::Stop,
                              {DialogButton::Ok},
                              DialogButton::Ok};
    EXPECT_EQ(showAndAct(
                  error, [](QMessageBox* box) { pressKey(box, Qt::Key_Escape); }, seen),
              DialogButton::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);

    const DialogRequest warning{QStringLiteral("ZLT"),
                                QStringLiteral("Pozor"),
                                DialogIcon::Warning,
                                {DialogButton::Ok, DialogButton::Cancel},
                                DialogButton::Ok};
    EXPECT_EQ(showAndAct(
                  warning, [](QMessageBox* box) { pressKey(box, Qt::Key_Escape); }, seen),
              DialogButton::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

}  // namespace
}  // namespace zlt::platform
