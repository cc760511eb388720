#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace zlt::tools {

// Qt's command-line parser as both programs use it, refusing in Czech. Options are long
// ones with one dash or two ("-platform", "--database"), a value after "=" or as the next
// argument; "--" ends the options. An option's value name is the Czech words a missing
// value is called by ("umístění databáze").
class OptionParser {
public:
    explicit OptionParser(const QList<QCommandLineOption>& options);

    // The options before the first positional argument only: from there on every argument
    // is positional, so that a command's own options are left for the command to read.
    void stopAtFirstPositional() {
        parser_.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    }

    // The arguments after the program's name (or the command's). False when they hold an
    // unknown option, an option without its value or a value the option does not take;
    // error() then says which, in Czech. The options before and after the mistake are read
    // all the same, so that --help wins over it.
    bool parse(const QStringList& arguments);
    const QString& error() const { return error_; }

    bool isSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
    QString value(const QCommandLineOption& option) const { return parser_.value(option); }
    QStringList positional() const { return parser_.positionalArguments(); }

private:
    QString czechError(const QStringList& arguments) const;
    const QCommandLineOption* optionNamed(const QString& argument) const;

    QList<QCommandLineOption> options_;
    QCommandLineParser parser_;
    QString error_;
};

}  // namespace zlt::tools
