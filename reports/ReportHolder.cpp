#include "reports/ReportHolder.h"

namespace zlt::reports {

ReportHolder::ReportHolder(Maker maker, db::ResultSet& rows, competition::Competition& competition)
    : QuickRep1(maker(rows, {})), maker_(maker), rows_(rows), competition_(competition) {
    const competition::EventDetails& details = competition.details();
    connect(&details, &competition::EventDetails::confirmed, this, [this, &details] {
        options_.stamp = details.seasonStamp();
        make(current());
    });
    connect(&competition.finalsMode(), &competition::FinalsModeChoice::changed, this,
            [this] { make(current()); });
}

void ReportHolder::setStamp(const QImage& picture) {
    options_.stamp = picture;
    make(options_);
}

SheetOptions ReportHolder::current() const {
    SheetOptions options = currentOptions(competition_);
    options.discipline = options_.discipline;
    options.disciplineName = options_.disciplineName;
    options.stamp = options_.stamp;
    return options;
}

void ReportHolder::make(const SheetOptions& options) {
    options_ = options;
    takeMade(QuickRep1, maker_(rows_, options_));
}

}  // namespace zlt::reports
