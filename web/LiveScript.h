#pragma once

#include <QByteArray>
#include <QString>

namespace zlt::web {

// The tag that makes a served page live, for its head; it carries the version the page
// shows, filled in by the server.
QString liveScriptTag();

// The script that keeps the pages live: the tabs of one browser share one stream of
// changes, each change carries the pages it made, and a page says in red when it has lost
// touch with the server.
QByteArray liveScript();

}  // namespace zlt::web
