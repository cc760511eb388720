#pragma once

namespace zlt::db {
class Connection;
}

namespace zlt::competition {

// How many other programs have the event's database open: the other judges' tables
// sharing it on a database server, each counted once however many attachments it holds.
// The folder's own file is open in one program only, so there it is always 0.
int otherTables(db::Connection& connection);

}  // namespace zlt::competition
