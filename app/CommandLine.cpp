#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>

#include "tools/OptionParser.h"

namespace zlt::app {
namespace {

constexpr int kUsageExit = 2;
constexpr qsizetype kRememberedFolders = 8;

// Qt's options that QApplication reads from the same arguments: passed over here.
QList<QCommandLineOption> qtsOwnOptions() {
    QList<QCommandLineOption> options;
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                             "geometry", "qwindowgeometry", "qwindowtitle", "qwindowicon", "style",
                             "stylesheet", "session", "name", "title"}) {
        options << QCommandLineOption(QString::fromLatin1(name), QString(),
                                      QStringLiteral("hodnota"));
    }
    for (const char* flag : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        options << QCommandLineOption(QString::fromLatin1(flag));
    }
    return options;
}

CommandLine invalid(const QString& error) {
    CommandLine command;
    command.action = CommandLine::Action::Invalid;
    command.error = error;
    return command;
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QSettings folderSettings() {
    // An explicit file under the standard configuration place, so that tests can move it
    // with QStandardPaths' test mode.
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/zlt/zlt.conf");
    return QSettings(file, QSettings::IniFormat);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    const QCommandLineOption chooseFolder(QStringLiteral("choose-folder"));
    const QCommandLineOption database(QStringLiteral("database"), QString(),
                                      QStringLiteral("umístění databáze"));
    tools::OptionParser parser(QList{help, version, chooseFolder, database} + qtsOwnOptions());
    const bool parsed = parser.parse(arguments);
    CommandLine command;
    if (parser.isSet(help)) {
        command.action = CommandLine::Action::Help;
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CommandLine::Action::Version;
        return command;
    }
    if (!parsed) {
        return invalid(parser.error());
    }
    const QStringList folders = parser.positional();
    if (folders.size() > 1) {
        return invalid(QStringLiteral("lze zadat jen jednu složku události"));
    }
    if (!folders.isEmpty() && folders[0].isEmpty()) {
        // An unset shell variable must not start the program in the wrong folder.
        return invalid(QStringLiteral("název složky události je prázdný"));
    }
    command.folder = folders.value(0);
    if (parser.isSet(database)) {
        command.database = parser.value(database);
        if (command.database.isEmpty()) {
            return invalid(QStringLiteral("volbě „--database“ chybí umístění databáze"));
        }
    }
    if (parser.isSet(chooseFolder)) {
        if (!command.folder.isNull()) {
            return invalid(QStringLiteral("--choose-folder a složku nelze zadat zároveň"));
        }
        command.action = CommandLine::Action::ChooseFolder;
    }
    return command;
}

CommandLine parseCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index) {
        arguments << QString::fromLocal8Bit(argv[index]);
    }
    return parseCommandLine(arguments);
}

QString usageText() {
    return QStringLiteral(
        "Použití: zlt [VOLBA] [SLOŽKA]\n"
        "ZLT – výsledková kancelář soutěže Zeltoria.\n"
        "\n"
        "Program pracuje se složkou události: databází ZLT04.GDB, souborem Nastaveni.txt\n"
        "a obrázky razítek. Bez argumentů je to složka, ve které byl spuštěn.\n"
        "\n"
        "  SLOŽKA             pracovat ve složce události SLOŽKA\n"
        "  --choose-folder    nejprve nabídnout výběr složky události\n"
        "  --database UMÍSTĚNÍ\n"
        "                     databáze na serveru, který sdílí víc stolů rozhodčích:\n"
        "                     počítač[/port]:cesta nebo počítač:alias\n"
        "  -h, --help         vypsat tuto nápovědu a skončit\n"
        "  -V, --version      vypsat verzi a skončit\n"
        "\n"
        "Novou složku události založí zlt-new-event SLOŽKA.\n");
}

QString versionText() {
    return QStringLiteral("zlt " ZLT_VERSION "\n");
}

std::optional<QString> enterEventFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists()) {
        return QStringLiteral("složka události „%1“ neexistuje").arg(folder);
    }
    if (!info.isDir()) {
        return QStringLiteral("„%1“ není složka").arg(folder);
    }
    if (!QDir::setCurrent(folder)) {
        return QStringLiteral("do složky události „%1“ nelze vstoupit").arg(folder);
    }
    return std::nullopt;
}

std::optional<int> prepareStart(const CommandLine& command) {
    switch (command.action) {
        case CommandLine::Action::Help:
            print(stdout, usageText());
            return 0;
        case CommandLine::Action::Version:
            print(stdout, versionText());
            return 0;
        case CommandLine::Action::Invalid:
            print(stderr,
                  QStringLiteral("zlt: %1 (nápovědu vypíše zlt --help)\n").arg(command.error));
            return kUsageExit;
        case CommandLine::Action::Start:
            if (!command.folder.isNull()) {
                if (const auto error = enterEventFolder(command.folder)) {
                    print(stderr, QStringLiteral("zlt: %1\n").arg(*error));
                    return kUsageExit;
                }
            }
            return std::nullopt;
        case CommandLine::Action::ChooseFolder:
            return std::nullopt;
    }
    return std::nullopt;
}

QStringList rememberedFolders() {
    return folderSettings().value(QStringLiteral("recentFolders")).toStringList();
}

void rememberFolder(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    QStringList folders = rememberedFolders();
    folders.removeAll(absolute);
    folders.prepend(absolute);
    folders = folders.mid(0, kRememberedFolders);
    QSettings settings = folderSettings();
    settings.setValue(QStringLiteral("recentFolders"), folders);
}

bool chooseEventFolder() {
    QStringList recent;
    QList<QUrl> sidebar{QUrl::fromLocalFile(QDir::homePath())};
    for (const QString& folder : rememberedFolders()) {
        if (QFileInfo(folder).isDir()) {
            recent << folder;
            sidebar << QUrl::fromLocalFile(folder);
        }
    }
    QFileDialog dialog(nullptr, QStringLiteral("ZLT – vyberte složku události"),
                       recent.isEmpty() ? QDir::homePath() : recent.first());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setHistory(recent);
    dialog.setSidebarUrls(sidebar);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString folder = QDir(dialog.selectedFiles().first()).absolutePath();
        if (const auto error = enterEventFolder(folder)) {
            QMessageBox::warning(nullptr, QStringLiteral("ZLT"), *error);
            continue;
        }
        rememberFolder(folder);
        return true;
    }
    return false;
}

}  // namespace zlt::app
