#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace zlt::text {

// Raised when text cannot cross the Windows-1250 boundary unchanged: a character the
// code page lacks, or bytes that are not UTF-8. Nothing is ever replaced silently.
class EncodingError : public std::runtime_error {
public:
    EncodingError(const std::string& message, char32_t character)
        : std::runtime_error(message), character_(character) {}
    char32_t character() const { return character_; }

private:
    char32_t character_;
};

// Windows-1250 bytes to UTF-8. Every byte has a meaning; the five bytes the code page
// leaves undefined map to the C1 control of the same number so that text round-trips.
std::string fromWin1250(std::string_view bytes);

// UTF-8 to Windows-1250 bytes; throws EncodingError for the first character that has
// no Windows-1250 byte, or for input that is not valid UTF-8.
std::string toWin1250(std::string_view utf8);

// Number of characters (code points) in valid UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The character as UTF-8, for messages.
std::string utf8Of(char32_t character);

// "U+0416" style name of a code point, for messages.
std::string codePointName(char32_t character);

}  // namespace zlt::text
