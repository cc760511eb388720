#pragma once

#include <QObject>

namespace zlt::competition {

// Tells that the event's rows changed, whoever changed them: this program's own writes
// and, while the competition listens on a database server, the other tables' commits.
// Views that show the results without editing them (the projector) follow this alone.
class LiveChanges : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // Committed rows differ from what was last read.
    void changed();
};

}  // namespace zlt::competition
