#pragma once

#include <string>

namespace zlt::competition {

// Why a file could not be written, in the user's words, from the system's error number;
// it reads on after "… nelze zapsat: ".
std::string writeFailureReason(int error);

}  // namespace zlt::competition
