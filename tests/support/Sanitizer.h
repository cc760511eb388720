#pragma once

namespace zlt::test {

// AddressSanitizer keeps freed memory in quarantine, pads every block and slows every
// access: a peak of memory or a time measured under it says little of the program's own,
// so such bounds are checked only in the plain builds.
#ifdef __SANITIZE_ADDRESS__
inline constexpr bool kUnderSanitizer = true;
#else
inline constexpr bool kUnderSanitizer = false;
#endif

}  // namespace zlt::test
