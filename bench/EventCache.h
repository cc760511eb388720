#pragma once

#include <map>
#include <memory>

namespace zlt::bench {

// What a benchmark runs on (an event folder with its tables, a sample report), made once
// per table size and shared by the runs. main empties it before it returns: a database
// must be detached while the client library is still there.
template <typename Made>
class ByTableSize {
public:
    Made& get(int rows) {
        auto& slot = made_[rows];
        if (!slot) {
            slot = std::make_unique<Made>(rows);
        }
        return *slot;
    }
    void clear() { made_.clear(); }

private:
    std::map<int, std::unique_ptr<Made>> made_;
};

// The one cache of its kind in a benchmark program.
template <typename Made>
ByTableSize<Made>& cache() {
    static ByTableSize<Made> made;
    return made;
}

}  // namespace zlt::bench
