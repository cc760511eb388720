#include "competition/FinalsMode.h"

namespace zlt::competition {

void FinalsModeChoice::set(FinalsMode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    emit changed();
}

}  // namespace zlt::competition
