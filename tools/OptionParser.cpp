#include "tools/OptionParser.h"

namespace zlt::tools {
namespace {

// The option's name as typed, without its dashes and its value.
QString nameIn(const QString& argument) {
    qsizetype dashes = 0;
    while (dashes < argument.size() && dashes < 2 && argument[dashes] == QLatin1Char('-')) {
        ++dashes;
    }
    return argument.mid(dashes).section(QLatin1Char('='), 0, 0);
}

bool isOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

// The options as typed, up to "--".
QStringList optionsIn(const QStringList& arguments) {
    QStringList options;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--")) {
            break;
        }
        if (isOption(argument)) {
            options << argument.section(QLatin1Char('='), 0, 0);
        }
    }
    return options;
}

}  // namespace

OptionParser::OptionParser(const QList<QCommandLineOption>& options) : options_(options) {
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOptions(options_);
}

bool OptionParser::parse(const QStringList& arguments) {
    // Qt takes the first argument for the program's name.
    const bool parsed = parser_.parse(QStringList{QString()} + arguments);
    error_ = parsed ? QString() : czechError(arguments);
    return parsed;
}

const QCommandLineOption* OptionParser::optionNamed(const QString& argument) const {
    const QString name = nameIn(argument);
    for (const QCommandLineOption& option : options_) {
        if (option.names().contains(name)) {
            return &option;
        }
    }
    return nullptr;
}

// Qt's own words are English and name no argument as typed; these are read from what Qt
// found and from the arguments.
QString OptionParser::czechError(const QStringList& arguments) const {
    const QStringList typed = optionsIn(arguments);
    for (const QString& option : typed) {
        if (optionNamed(option) == nullptr) {
            return QStringLiteral("neznámá volba „%1“").arg(option);
        }
    }
    for (const QString& argument : arguments) {
        const QCommandLineOption* option = isOption(argument) ? optionNamed(argument) : nullptr;
        if (option != nullptr && option->valueName().isEmpty() &&
            argument.contains(QLatin1Char('='))) {
            return QStringLiteral("volba „%1“ nemá hodnotu")
                .arg(argument.section(QLatin1Char('='), 0, 0));
        }
    }
    // Otherwise the last option wanted a value, and nothing came after it.
    const QString last = typed.value(typed.size() - 1);
    const QCommandLineOption* option = optionNamed(last);
    return QStringLiteral("volbě „%1“ chybí %2")
        .arg(last, option != nullptr ? option->valueName() : QStringLiteral("hodnota"));
}

}  // namespace zlt::tools
