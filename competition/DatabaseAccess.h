#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

namespace zlt::competition {

// Whether this run may write the event's database and, when it may not, why: another
// program holds the file, or this user may not write it. Found when the rows are opened
// at start-up and kept for the run, so that the windows show the missing rows for what
// they are, take no typing and say so in their title, instead of looking like an empty
// event.
class DatabaseAccess : public QObject {
    Q_OBJECT
public:
    enum class State { Writable, HeldElsewhere, NotWritable };

    // An opening of the file refused with this engine code: a file held elsewhere or not
    // writable becomes this run's state; any other refusal (a missing file) changes nothing.
    void refused(long engineCode, const std::filesystem::path& file);

    State state() const { return state_; }
    bool writable() const { return state_ == State::Writable; }
    // The red line of the results windows and the addition to their title; empty while
    // the database is writable.
    QString line() const;
    QString captionSuffix() const;

signals:
    void changed();

private:
    State state_ = State::Writable;
    QString file_;
    // The programs holding the file, or the user owning it.
    QString who_;
};

}  // namespace zlt::competition
