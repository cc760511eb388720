#include "competition/DatabaseAccess.h"

#include <QStringList>

#include "database/DatabaseError.h"
#include "database/FileHolders.h"

namespace zlt::competition {
namespace {

// "zlt-event, proces 4711, na tomto počítači", or the file where nothing visible holds it.
QString holdersText(const std::filesystem::path& file) {
    QStringList programs;
    for (const db::FileHolder& holder : db::holdersOf(file)) {
        programs << QStringLiteral("%1, proces %2")
                        .arg(QString::fromStdString(holder.program))
                        .arg(holder.process);
    }
    if (programs.isEmpty()) {
        return QStringLiteral("soubor %1").arg(QString::fromStdString(file.string()));
    }
    return programs.join(QStringLiteral("; ")) + QStringLiteral(", na tomto počítači");
}

}  // namespace

void DatabaseAccess::refused(long engineCode, const std::filesystem::path& file) {
    if (engineCode == db::DatabaseError::kHeldElsewhere) {
        state_ = State::HeldElsewhere;
        who_ = holdersText(file);
    } else if (engineCode == db::DatabaseError::kNotWritable) {
        state_ = State::NotWritable;
        who_ = QString::fromStdString(db::ownerOf(file));
    } else {
        return;
    }
    file_ = QString::fromStdString(file.string());
    emit changed();
}

QString DatabaseAccess::line() const {
    switch (state_) {
        case State::HeldElsewhere:
            return QStringLiteral(
                       "Databáze je otevřená v jiném programu (%1): tady nelze nic "
                       "zapsat.")
                .arg(who_);
        case State::NotWritable:
            return QStringLiteral(
                       "Databázi %1 smí měnit jen uživatel „%2“: tady nelze nic "
                       "zapsat.")
                .arg(file_, who_);
        case State::Writable:
            break;
    }
    return {};
}

QString DatabaseAccess::captionSuffix() const {
    switch (state_) {
        case State::HeldElsewhere:
            return QStringLiteral(" – jen ke čtení (databáze je otevřená v jiném programu)");
        case State::NotWritable:
            return QStringLiteral(" – jen ke čtení (databázi smí měnit jen uživatel „%1“)")
                .arg(who_);
        case State::Writable:
            break;
    }
    return {};
}

}  // namespace zlt::competition
