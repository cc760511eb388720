#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace zlt::competition {
class Competition;
}

namespace zlt::web {

class ResultsFeed;

// The results on the venue's network while the program runs: the tools window's choice,
// kept beside the database, with the server it starts. The pages are made from the rows
// the running program holds, as an embedded database admits one program only; the server
// that sends them runs in a process of its own.
class LiveResults : public QObject {
    Q_OBJECT
public:
    // Reads the choice kept in the event folder (competition::EventChoice::LiveResults; a
    // port of 0 takes any free one); when it is on, starts the server at once. A port that
    // cannot be had, or a damaged file, is told through problem(), and the results stay off.
    LiveResults(competition::Competition& competition, std::filesystem::path eventFolder);
    ~LiveResults() override;

    bool on() const { return server_ != nullptr; }
    // Starts the server on every address of the computer, or stops it, and keeps the
    // choice. Throws with a Czech message when the port cannot be had or the choice cannot
    // be kept; then nothing changes.
    void setOn(bool on);
    // Where the phones open the results; empty while off.
    QStringList addresses() const;
    // Why the kept choice could not be followed, or that the server had stopped and was
    // started again, in Czech; empty when neither.
    const QString& problem() const { return problem_; }

signals:
    void changed();

private:
    void readKept();
    void keep(bool on);
    std::unique_ptr<ResultsFeed> started();

    competition::Competition& competition_;
    std::filesystem::path eventFolder_;
    quint16 port_;
    std::unique_ptr<ResultsFeed> server_;
    QString problem_;
};

}  // namespace zlt::web
