#include "web/OpenFiles.h"

#include <sys/resource.h>

#include <climits>

namespace zlt::web {

void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

long openFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > static_cast<rlim_t>(LONG_MAX)) {
        return LONG_MAX;
    }
    return static_cast<long>(limit.rlim_cur);
}

}  // namespace zlt::web
