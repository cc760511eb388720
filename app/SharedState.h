#pragma once

namespace zlt {

// Event details confirmed in this run (set by confirming the settings, cleared by
// "Nezobrazit"); the standings sheets print edition headings only while it is true.
inline bool Potvrzeno = false;

// The sort direction toggle shared by both grids' title clicks: a click that makes it
// true sorts ascending, one that makes it false descending.
inline bool Sestupne = false;

}  // namespace zlt
