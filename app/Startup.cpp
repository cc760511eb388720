#include "app/Startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <filesystem>
#include <memory>

#include "app/CommandLine.h"
#include "app/Hlavni.h"
#include "app/Unattended.h"
#include "competition/Competition.h"
#include "finals/Finale.h"
#include "office/Nastroje.h"
#include "office/Projekce.h"
#include "platform/Dialogs.h"
#include "platform/EndSignals.h"
#include "platform/Guard.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/Publishing.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/Volba.h"
#include "reports/ZLTTisk.h"
#include "settings/Nastaveni.h"
#include "web/LiveResults.h"
#include "web/OpenFiles.h"

namespace zlt::app {
namespace {

std::unique_ptr<competition::Competition> theCompetition;
// The export goes through the sheets, so it is made once they are.
std::unique_ptr<reports::Publishing> thePublishing;
std::unique_ptr<web::LiveResults> theLiveResults;

// Creates one window hidden and runs its creation handler, if it has one.
template <typename Window>
void create(Window*& instance, void (Window::*creationHandler)() = nullptr) {
    instance = new Window(*theCompetition);
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

void createWindows(const std::string& databaseLocation) {
    theCompetition = std::make_unique<competition::Competition>(databaseLocation);
    create(frmHlavni, &TfrmHlavni::FormCreate);
    create(frmZLTTisk);
    create(frmFinale, &TfrmFinale::FormCreate);
    create(frmZLTFinaleTisk);
    create(frmVolbaTisku);
    create(frmTiskDisc);
    create(frmTiskFDisc);
    create(frmNastaveni, &TfrmNastaveni::FormCreate);
    create(frmCelkovyTisk);
    thePublishing =
        std::make_unique<reports::Publishing>(*theCompetition, std::filesystem::current_path());
    theLiveResults =
        std::make_unique<web::LiveResults>(*theCompetition, std::filesystem::current_path());
    frmNastroje = new TfrmNastroje(*theCompetition, *thePublishing, *theLiveResults);
    create(frmProjekce);
    QObject::connect(frmFinale, &TfrmFinale::backToMainWindow, frmHlavni, &QWidget::show);
    // The main window and the tools window know nothing of the windows they ask for.
    QObject::connect(frmHlavni, &TfrmHlavni::toolsWanted, frmNastroje,
                     [] { frmNastroje->showBeside(*frmHlavni); });
    QObject::connect(frmNastroje, &TfrmNastroje::projectorWanted, frmProjekce,
                     [] { frmProjekce->showBeside(*frmHlavni); });
}

void destroyWindows() {
    destroy(frmProjekce);
    destroy(frmNastroje);
    theLiveResults.reset();
    thePublishing.reset();
    destroy(frmCelkovyTisk);
    destroy(frmNastaveni);
    destroy(frmTiskFDisc);
    destroy(frmTiskDisc);
    destroy(frmVolbaTisku);
    destroy(frmZLTFinaleTisk);
    destroy(frmFinale);
    destroy(frmZLTTisk);
    destroy(frmHlavni);
    theCompetition.reset();
}

void endRun() {
    // A database this run could not write is another program's or user's to copy.
    if (theCompetition->access().writable()) {
        theCompetition->backups().takeCopy();
    }
    destroyWindows();
}

bool useCzechQtTexts() {
    static QTranslator translator;
    if (translator.isEmpty()) {
        if (!translator.load(QLocale(QLocale::Czech, QLocale::CzechRepublic),
                             QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            return false;
        }
        QCoreApplication::installTranslator(&translator);
    }
    return true;
}

competition::Competition* currentCompetition() {
    return theCompetition.get();
}

int ZLT(int argc, char** argv) {
    const CommandLine command = parseCommandLine(argc, argv);
    if (const std::optional<int> exitCode = prepareStart(command)) {
        return *exitCode;
    }
    platform::blockEndSignals();
    web::raiseOpenFileLimit();
    QApplication application(argc, argv);
    useCzechQtTexts();
    if (command.action == CommandLine::Action::ChooseFolder && !chooseEventFolder()) {
        return 0;
    }
    application.setQuitOnLastWindowClosed(false);
    platform::Dialogs::setApplicationTitle(QStringLiteral("ZLT"));
    createWindows(command.database.toStdString());
    frmHlavni->show();
    prepareForUnattendedEnd();
    const int result = application.exec();
    endRun();
    return result;
}

}  // namespace zlt::app
