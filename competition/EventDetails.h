#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <array>

#include "competition/SettingsFile.h"

namespace zlt::competition {

// The event's details: the texts the sheets print, whether the penalty column prints, the
// season with its pictures, and whether the details were confirmed in this run.
// The texts are live: the settings window's boxes write every change here, and the sheets
// print them as they stand, confirmed or not. Everything else changes only on confirm(),
// which also saves the settings file; the windows follow through the signals, so no window
// writes another window's labels.
class EventDetails : public QObject {
    Q_OBJECT
public:
    // The texts in the order of the settings file's lines.
    enum Text : std::size_t { Edition, Place, FirstDiscipline, FirstFinalDiscipline = 8 };

    const QString& text(std::size_t line) const { return texts_.at(line); }
    void setText(std::size_t line, const QString& text) { texts_.at(line) = text; }
    const QString& edition() const { return texts_[Edition]; }
    const QString& place() const { return texts_[Place]; }
    // Discipline 1 to 6 of the preliminary round, final discipline 1 to 3.
    const QString& disciplineName(int discipline) const;
    const QString& finalDisciplineName(int discipline) const;

    // As last read or confirmed.
    bool penaltyShown() const { return penaltyShown_; }
    bool summer() const { return summer_; }
    // Confirmed in this run: the standings sheets print edition headings only then.
    bool Potvrzeno() const { return potvrzeno_; }
    const QImage& mainWindowPicture() const { return mainWindowPicture_; }
    const QImage& seasonStamp() const { return seasonStamp_; }

    // Reads the settings file. Throws "Cannot open file Nastaveni.txt" and changes nothing
    // when it cannot be read.
    void load();
    void showMainWindowPicture(const QImage& picture);

    // Takes the texts as they stand with the given choices and pictures: the file's new
    // text is written beside it first, then the details change and the windows follow, and
    // the file takes the old one's place last. A text the file could not hold is refused
    // with UnsavableText before anything changes.
    void confirm(bool penaltyShown, bool summer, const QImage& mainWindowPicture,
                 const QImage& seasonStamp);
    // Not confirmed any more; the texts, the file and everything else stay.
    void withdraw();

signals:
    void loaded();
    void mainWindowPictureChanged();
    void confirmed();
    void withdrawn();

private:
    EventSettings settingsAsTyped() const;

    std::array<QString, kTextLines> texts_;
    bool penaltyShown_ = false;
    bool summer_ = false;
    bool potvrzeno_ = false;
    QImage mainWindowPicture_;
    QImage seasonStamp_;
};

}  // namespace zlt::competition
