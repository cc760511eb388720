#include "text/Win1250.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <unordered_map>

namespace zlt::text {
namespace {

// The code page is single-byte, so iconv is asked once for the whole table and every
// later conversion is a lookup.
struct CodePage {
    std::array<char32_t, 256> toUnicode{};
    std::unordered_map<char32_t, unsigned char> fromUnicode;

    CodePage() {
        iconv_t cd = iconv_open("UTF-32LE", "WINDOWS-1250");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("The system has no Windows-1250 converter (iconv)");
        }
        for (int byte = 0; byte < 256; ++byte) {
            char in = static_cast<char>(byte);
            unsigned char out[4] = {};
            char* inPtr = &in;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t inLeft = 1;
            std::size_t outLeft = sizeof out;
            char32_t cp = static_cast<char32_t>(byte);  // undefined bytes: C1 control
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
                cp =
                    out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
            }
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            toUnicode[byte] = cp;
            fromUnicode.emplace(cp, static_cast<unsigned char>(byte));
        }
        iconv_close(cd);
    }
};

const CodePage& codePage() {
    static const CodePage table;
    return table;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at pos and advances pos; throws on malformed UTF-8.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        throw EncodingError("The text is not valid UTF-8", 0xFFFD);
    }
    if (pos + extra >= text.size()) {
        throw EncodingError("The text is not valid UTF-8", 0xFFFD);
    }
    for (int i = 1; i <= extra; ++i) {
        const auto cont = static_cast<unsigned char>(text[pos + i]);
        if ((cont & 0xC0) != 0x80) {
            throw EncodingError("The text is not valid UTF-8", 0xFFFD);
        }
        cp = (cp << 6) | (cont & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        throw EncodingError("The text is not valid UTF-8", 0xFFFD);
    }
    pos += extra + 1;
    return cp;
}

}  // namespace

std::string fromWin1250(std::string_view bytes) {
    const CodePage& table = codePage();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char byte : bytes) {
        appendUtf8(out, table.toUnicode[static_cast<unsigned char>(byte)]);
    }
    return out;
}

std::string toWin1250(std::string_view utf8) {
    const CodePage& table = codePage();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, pos);
        const auto found = table.fromUnicode.find(cp);
        if (found == table.fromUnicode.end()) {
            throw EncodingError("The character \"" + utf8Of(cp) + "\" (" + codePointName(cp) +
                                    ") cannot be written in the Windows-1250 code page",
                                cp);
        }
        out += static_cast<char>(found->second);
    }
    return out;
}

std::size_t utf8Length(std::string_view utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) {
        nextCodePoint(utf8, pos);
    }
    return count;
}

std::string utf8Of(char32_t character) {
    std::string text;
    appendUtf8(text, character);
    return text;
}

std::string codePointName(char32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

}  // namespace zlt::text
