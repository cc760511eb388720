#pragma once

#include <QString>

namespace zlt::competition {

// Why a file could not be written, in the user's words, from the system's error number;
// it reads on after "… nelze zapsat: ".
QString writeFailureReason(int error);

}  // namespace zlt::competition
