#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zlt::app {

// What the program was asked to do by its arguments.
struct CommandLine {
    enum class Action {
        Start,         // start in the current folder, or in `folder`
        ChooseFolder,  // offer a folder chooser first
        Help,
        Version,
        Invalid,  // `error` says why
    };
    Action action = Action::Start;
    QString folder;
    // A database server's location given with --database; empty for the one the folder
    // keeps, or its own file.
    QString database;
    QString error;
};

// Reads the arguments after the program name. Qt's own options (-platform, -display,
// -session, ...) are passed over, since QApplication takes them later.
CommandLine parseCommandLine(const QStringList& arguments);
CommandLine parseCommandLine(int argc, char** argv);

QString usageText();
QString versionText();

// Acts on everything that needs no window: prints help, version or an error, and enters
// the event folder. Returns the exit code when the program must end here.
std::optional<int> prepareStart(const CommandLine& command);

// Makes `folder` the working directory; on failure returns the message to show.
std::optional<QString> enterEventFolder(const QString& folder);

// Shows a folder chooser offering the folders chosen before, enters the folder chosen and
// remembers it. Returns false when the operator cancels. Needs the application object.
bool chooseEventFolder();

// The folders remembered, the most recent first.
QStringList rememberedFolders();
void rememberFolder(const QString& folder);

}  // namespace zlt::app
