#include "competition/EventDetails.h"

#include "competition/EventFiles.h"
#include "text/TextFile.h"

namespace zlt::competition {

const QString& EventDetails::disciplineName(int discipline) const {
    return texts_.at(FirstDiscipline + discipline - 1);
}

const QString& EventDetails::finalDisciplineName(int discipline) const {
    return texts_.at(FirstFinalDiscipline + discipline - 1);
}

void EventDetails::load() {
    const EventSettings saved = readSettingsFile(kSettingsFile);
    for (std::size_t line = 0; line < kTextLines; ++line) {
        texts_[line] = QString::fromStdString(saved.texts[line]);
    }
    penaltyShown_ = saved.penaltyShown;
    summer_ = saved.summer;
    emit loaded();
}

void EventDetails::showMainWindowPicture(const QImage& picture) {
    mainWindowPicture_ = picture;
    emit mainWindowPictureChanged();
}

EventSettings EventDetails::settingsAsTyped() const {
    EventSettings settings;
    for (std::size_t line = 0; line < kTextLines; ++line) {
        settings.texts[line] = texts_[line].toStdString();
    }
    return settings;
}

void EventDetails::confirm(bool penaltyShown, bool summer, const QImage& mainWindowPicture,
                           const QImage& seasonStamp) {
    EventSettings settings = settingsAsTyped();
    settings.penaltyShown = penaltyShown;
    settings.summer = summer;
    requireSavable(settings);
    text::PendingTextFile file(kSettingsFile, linesOf(settings));
    penaltyShown_ = penaltyShown;
    summer_ = summer;
    potvrzeno_ = true;
    seasonStamp_ = seasonStamp;
    emit confirmed();
    showMainWindowPicture(mainWindowPicture);
    file.replaceOld();
}

void EventDetails::withdraw() {
    potvrzeno_ = false;
    emit withdrawn();
}

}  // namespace zlt::competition
