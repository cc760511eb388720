#include "app/TeamNavigator.h"

namespace zlt::app {

void setUpTeamNavigator(platform::DBNavigator& navigator) {
    using Nav = platform::DBNavigator;
    navigator.setVisibleButtons(
        {Nav::First, Nav::Prior, Nav::Next, Nav::Last, Nav::Insert, Nav::Delete, Nav::Cancel});
    // The three hidden buttons keep the library's hints; they are never seen.
    navigator.setHints({QStringLiteral("První družstvo"), QStringLiteral("Předchozí družstvo"),
                        QStringLiteral("Další družstvo"), QStringLiteral("Poslední družstvo"),
                        QStringLiteral("Přidat družstvo"), QStringLiteral("Smazat družstvo"),
                        QStringLiteral("Edit record"), QStringLiteral("Post edit"),
                        QStringLiteral("Zrušit změnu"), QStringLiteral("Refresh data")});
}

}  // namespace zlt::app
