#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <memory>

#include "competition/Competition.h"
#include "web/PageUpdate.h"

namespace zlt::web {

// The pages the results server sends, made from the rows the database has committed and
// never from the grids, which may hold a row still being typed: the export's pages and
// CSV files (by the export's own code, so that web, export and print agree), the phone
// page "/" with the standings of the round in progress (provisional while the competition's
// check finds something in that round), and the script that keeps the pages live. Reading
// writes nothing and holds no write transaction.
class ServedPages {
public:
    static constexpr const char* kLiveScript = "/zive.js";
    static constexpr const char* kAddressCode = "/adresa.svg";

    explicit ServedPages(competition::Competition& competition);
    ServedPages(const ServedPages&) = delete;
    ServedPages& operator=(const ServedPages&) = delete;

    // Takes the committed rows as the competition has them now and makes every page anew. True when
    // what the pages show changed, or whether they could be read; a read that fails keeps the pages
    // as they were and tells why through problem().
    bool refresh();

    // The address the pages are opened at: the index page shows it with its QR code from
    // the next refresh on.
    void setAddress(const QString& address) { address_ = address; }

    const PageMap& all() const { return pages_; }
    // When what the pages show last changed: at first, the time of the newest change the
    // journal holds; unknown (invalid) for an event without one.
    const QDateTime& lastChange() const { return lastChange_; }
    // Why the rows could not be read last time, in Czech; empty when they could.
    const QString& problem() const { return problem_; }

private:
    PageMap exportPages();
    void showAddress(PageMap& pages) const;
    QDateTime journalled() const;

    competition::Competition& competition_;
    competition::CommittedRows& rows_;
    PageMap pages_;
    QDateTime lastChange_;
    QString problem_;
    QString address_;
};

}  // namespace zlt::web
