#include "database/DatabaseLocation.h"

#include <cctype>
#include <charconv>

#include "database/DatabaseError.h"

namespace zlt::db {
namespace {

bool isDriveLetter(std::string_view text, std::size_t colon) {
    return colon == 1 && std::isalpha(static_cast<unsigned char>(text[0])) &&
           (text.size() == 2 || text[2] == '\\' || text[2] == '/');
}

int portOf(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port <= 0 || port > 65535) {
        throw DatabaseError("Neplatné číslo portu serveru: " + std::string(text));
    }
    return port;
}

}  // namespace

DatabaseLocation DatabaseLocation::parse(std::string_view text) {
    DatabaseLocation location;
    location.text_ = std::string(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || isDriveLetter(text, colon)) {
        location.path_ = location.text_;
        return location;
    }
    const std::string_view server = text.substr(0, colon);
    const std::size_t slash = server.find('/');
    location.host_ = std::string(server.substr(0, slash));
    if (slash != std::string_view::npos) {
        location.port_ = portOf(server.substr(slash + 1));
    }
    location.path_ = std::string(text.substr(colon + 1));
    if (location.host_.empty() || location.path_.empty()) {
        throw DatabaseError("Neúplné umístění databáze na serveru: " + location.text_ +
                            " (má být server[/port]:cesta)");
    }
    return location;
}

std::string DatabaseLocation::describe() const {
    if (!isServer()) {
        return "soubor " + path_;
    }
    return "databáze " + path_ + " na serveru " + host_ + " (port " + std::to_string(port_) + ")";
}

}  // namespace zlt::db
