#include <gmock/gmock.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <memory>

#include "app/Startup.h"
#include "finals/Finale.h"
#include "office/Diplomy.h"
#include "office/Discipliny.h"
#include "office/ImportDruzstev.h"
#include "office/Nastroje.h"
#include "office/Poradi.h"
#include "office/Projekce.h"
#include "office/Umisteni.h"
#include "reports/Preview.h"
#include "reports/Volba.h"
#include "reports/ZLTTisk.h"
#include "settings/Nastaveni.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

QString shown(QString text) {
    return text.remove(QLatin1Char('&'));
}

// How wide the control's text needs it to be, and how high, where the text decides.
QSize needed(const QWidget& control) {
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        // The style's minimum width of a button is no part of its text.
        const int frame = 2 * control.style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        return {control.fontMetrics().horizontalAdvance(shown(button->text())) + 2 * frame,
                control.fontMetrics().height()};
    }
    if (const auto* label = qobject_cast<const QLabel*>(&control); label && label->wordWrap()) {
        return {0, label->heightForWidth(label->width())};
    }
    return {control.sizeHint().width(), 0};
}

// The text of a label, check box, radio button or button; none for any other control.
QString textOf(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return label->text();
    }
    const auto* button = qobject_cast<const QAbstractButton*>(&control);
    return button != nullptr && !qobject_cast<const QToolButton*>(button) ? shown(button->text())
                                                                          : QString();
}

// Every visible label, check box, radio button and button of the window whose text does
// not fit its box at the program's font, named with its window and its text.
std::vector<std::string> clippedControls(QWidget& window) {
    window.show();
    QApplication::processEvents();
    std::vector<std::string> clipped;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const QSize need = needed(*control);
        if (control->isVisibleTo(&window) && !textOf(*control).isEmpty() &&
            (need.width() > control->width() || need.height() > control->height())) {
            clipped.push_back(QStringLiteral("%1: %2 „%3“ needs %4 × %5, has %6 × %7")
                                  .arg(window.metaObject()->className(),
                                       control->metaObject()->className(), textOf(*control))
                                  .arg(need.width())
                                  .arg(need.height())
                                  .arg(control->width())
                                  .arg(control->height())
                                  .toStdString());
        }
    }
    window.hide();
    return clipped;
}

class WindowTexts : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }
};

TEST_F(WindowTexts, NoWindowClipsTheTextOfALabelOrAButton) {
    std::vector<QWidget*> windows{frmHlavni,     frmFinale,   frmNastaveni,
                                  frmVolbaTisku, frmNastroje, frmProjekce};
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.emplace_back(std::make_unique<TfrmPoradi>(competition(), frmNastroje));
    dialogs.emplace_back(std::make_unique<TfrmImportDruzstev>(competition(), frmNastroje));
    dialogs.emplace_back(std::make_unique<TfrmUmisteni>(competition(), frmNastroje));
    dialogs.emplace_back(std::make_unique<TfrmDiscipliny>(competition(), frmNastroje));
    dialogs.emplace_back(std::make_unique<TfrmDiplomy>(competition(), frmNastroje));
    dialogs.emplace_back(std::make_unique<reports::PreviewWindow>(frmZLTTisk->QuickRep1));
    for (const auto& dialog : dialogs) {
        windows.push_back(dialog.get());
    }
    std::vector<std::string> clipped;
    for (QWidget* window : windows) {
        const std::vector<std::string> found = clippedControls(*window);
        clipped.insert(clipped.end(), found.begin(), found.end());
    }
    EXPECT_THAT(clipped, ::testing::IsEmpty());
}

class QtTextsInCzech : public WindowTexts {
protected:
    void SetUp() override {
        WindowTexts::SetUp();
        if (!app::useCzechQtTexts()) {
            GTEST_SKIP() << "Qt's Czech translations (qt6-translations-l10n) are not installed";
        }
        platform::Dialogs::setResponder({});
        platform::Dialogs::setInputResponder({});
    }
    void TearDown() override {
        dialogs.install();
        WindowTexts::TearDown();
    }
};

QStringList buttonTexts(QWidget& dialog) {
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->isVisible()) {
            texts << shown(button->text());
        }
    }
    return texts;
}

// The texts of the buttons of the dialog of this kind that a click on the control opens,
// which is then closed with Esc.
template <typename Dialog>
QStringList buttonsOfDialogOpenedBy(QWidget& control) {
    QStringList texts;
    op::whenShown([&] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            texts = buttonTexts(*dialog);
            op::press(Qt::Key_Escape);
        }
    });
    op::click(control);
    return texts;
}

TEST_F(QtTextsInCzech, AQuestionAndAFileDialogHaveCzechButtons) {
    op::click(*frmHlavni->btnFinale);
    EXPECT_THAT(buttonsOfDialogOpenedBy<QMessageBox>(*frmFinale->btn),
                ::testing::UnorderedElementsAre("Ano", "Ne", "Zrušit"));

    op::click(*frmFinale->btnZpet);
    op::click(*frmHlavni->btnNastroje);
    EXPECT_THAT(buttonsOfDialogOpenedBy<QFileDialog>(*frmNastroje->btnDruhaSlozka),
                ::testing::UnorderedElementsAre("Vybrat", "Zrušit"));
}

}  // namespace
}  // namespace zlt::test
