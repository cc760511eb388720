#pragma once

#include <string>
#include <string_view>

namespace zlt::competition {

// Words as organisers type them, in UTF-8: the Czech letters folded to their plain
// lower-case letters and every ASCII letter lower-cased, so that "NEDOKONČIL",
// "nedokončil" and "nedokoncil" are one word. Bytes of other letters are kept.
std::string folded(std::string_view text);

bool isUtf8(std::string_view text);

// A text as a message quotes it, „…“: valid UTF-8 (a byte that is none shows as "?") and
// cut short when long, so that a field of garbage still makes a readable sentence.
std::string quotedText(std::string_view text);

}  // namespace zlt::competition
