#include "app/Startup.h"

#include <QApplication>

#include "app/CommandLine.h"
#include "app/Hlavni.h"
#include "app/Unattended.h"
#include "finals/Finale.h"
#include "platform/Dialogs.h"
#include "platform/EndSignals.h"
#include "platform/Guard.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/Volba.h"
#include "reports/ZLTTisk.h"
#include "settings/Nastaveni.h"

namespace zlt::app {
namespace {

// Creates one window hidden and runs its creation handler, if it has one.
template <typename Window>
void create(Window*& instance, void (Window::*creationHandler)() = nullptr) {
    instance = new Window();
    if (creationHandler != nullptr) {
        platform::runGuarded([&] { (instance->*creationHandler)(); });
    }
}

template <typename Window>
void destroy(Window*& instance) {
    delete instance;
    instance = nullptr;
}

}  // namespace

void createWindows() {
    create(frmHlavni, &TfrmHlavni::FormCreate);
    create(frmZLTTisk);
    create(frmFinale, &TfrmFinale::FormCreate);
    create(frmZLTFinaleTisk);
    create(frmVolbaTisku);
    create(frmTiskDisc);
    create(frmTiskFDisc);
    create(frmNastaveni, &TfrmNastaveni::FormCreate);
    create(frmCelkovyTisk);
}

void destroyWindows() {
    destroy(frmCelkovyTisk);
    destroy(frmNastaveni);
    destroy(frmTiskFDisc);
    destroy(frmTiskDisc);
    destroy(frmVolbaTisku);
    destroy(frmZLTFinaleTisk);
    destroy(frmFinale);
    destroy(frmZLTTisk);
    destroy(frmHlavni);
}

int ZLT(int argc, char** argv) {
    const CommandLine command = parseCommandLine(argc, argv);
    if (const std::optional<int> exitCode = prepareStart(command)) {
        return *exitCode;
    }
    platform::blockEndSignals();
    QApplication application(argc, argv);
    if (command.action == CommandLine::Action::ChooseFolder && !chooseEventFolder()) {
        return 0;
    }
    application.setQuitOnLastWindowClosed(false);
    platform::Dialogs::setApplicationTitle(QStringLiteral("ZLT"));
    createWindows();
    frmHlavni->show();
    prepareForUnattendedEnd();
    const int result = application.exec();
    destroyWindows();
    return result;
}

}  // namespace zlt::app
