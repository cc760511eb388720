#pragma once

#include <QObject>

namespace zlt::competition {

// How the finals count: from nothing, or on from the preliminary round's result, which
// every finalist then starts with (FPOCATEK) and every finals standings sheet shows.
enum class FinalsMode { Vynulovani, Pokracovani };

// The finals mode chosen for this run: it starts as Vynulovani and is never saved.
class FinalsModeChoice : public QObject {
    Q_OBJECT
public:
    FinalsMode mode() const { return mode_; }
    bool startingValuesShown() const { return mode_ == FinalsMode::Pokracovani; }
    void set(FinalsMode mode);

signals:
    void changed();

private:
    FinalsMode mode_ = FinalsMode::Vynulovani;
};

}  // namespace zlt::competition
