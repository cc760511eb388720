#include "database/Connection.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "database/FileHolders.h"

namespace zlt::db {
namespace {

// Obfuscation only, as a stored connection setting: it keeps the password out of plain
// sight, nothing more (the embedded engine does not check it anyway).
constexpr std::string_view kScrambleKey = "Zeltoria";
constexpr std::string_view kDefaultPassword = "masterkey";
constexpr const char* kServerUser = "ZLT";
constexpr const char* kServerPassword = "zlt";

std::string environmentOr(const char* variable, const char* otherwise) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != 0 ? value : otherwise;
}

void appendItem(std::string& dpb, char item, std::string_view value) {
    dpb += item;
    dpb += static_cast<char>(value.size());
    dpb.append(value);
}

std::string keyOf(std::string_view line) {
    return std::string(line.substr(0, line.find('=')));
}

// Whether the engine refused the file because another process's engine holds it: another
// copy of the program, a command-line tool, or a database server.
static_assert(DatabaseError::kHeldElsewhere == isc_already_opened);

constexpr std::chrono::milliseconds kHeldPatience{1500};

bool heldByAnotherEngine(const ISC_STATUS* status) {
    for (const ISC_STATUS* item = status; *item != isc_arg_end;) {
        const ISC_STATUS kind = *item++;
        if (kind == isc_arg_gds && *item == isc_already_opened) {
            return true;
        }
        item += kind == isc_arg_cstring ? 2 : 1;
    }
    return false;
}

std::string heldMessage(const std::string& file, bool byServer) {
    if (byServer) {
        return "Databáze je otevřena serverem; spusťte program s --database localhost:" + file;
    }
    return "Databázi " + file +
           " má otevřenou jiný program (ZLT v jiném okně, nástroj zlt-event nebo databázový "
           "server). Ukončete ho a zkuste to znovu.";
}

// The engine opens a file it may not write only to refuse it with "no permission for
// read-write access"; the operator needs to know who may change that.
static_assert(DatabaseError::kNotWritable == isc_no_priv);

std::string notWritableMessage(const std::string& file, const std::string& engineText) {
    std::string message = "Databázi " + file + " nelze zapsat: soubor smí měnit jen jeho vlastník";
    if (const std::string owner = ownerOf(file); !owner.empty()) {
        message += ", uživatel „" + owner + "“";
    }
    message += ". (";
    message += engineText;
    message += ")";
    return message;
}

}  // namespace

std::string scramblePassword(std::string_view plain) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto byte =
            static_cast<unsigned char>(plain[i] ^ kScrambleKey[i % kScrambleKey.size()]);
        out += hex[byte >> 4];
        out += hex[byte & 0x0F];
    }
    return out;
}

std::string unscramblePassword(std::string_view scrambled) {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < scrambled.size(); i += 2) {
        const char byte = static_cast<char>(nibble(scrambled[i]) << 4 | nibble(scrambled[i + 1]));
        out += static_cast<char>(byte ^ kScrambleKey[(i / 2) % kScrambleKey.size()]);
    }
    return out;
}

Connection::Connection(std::string name)
    : name_(std::move(name)),
      params_{"CHARACTER SET=WIN1250", "PATH=C:\\Data\\ZLT04.GDB", "USER NAME=SYSDBA"},
      scrambledPassword_(scramblePassword(kDefaultPassword)),
      handle_(std::make_unique<ClientHandle>()) {}

Connection::~Connection() {
    try {
        disconnect();
    } catch (const DatabaseError&) {
        // The attachment ends with the program anyway; there is nobody left to tell.
    }
}

bool Connection::connected() const {
    return handle_->value != 0;
}

std::string Connection::param(std::string_view key) const {
    for (const std::string& line : params_) {
        if (keyOf(line) == key) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

void Connection::setParam(std::string_view key, const std::string& value) {
    if (connected()) {
        throw DatabaseError("Cannot change while connected");
    }
    const std::string line = std::string(key) + "=" + value;
    const auto found = std::find_if(params_.begin(), params_.end(),
                                    [&](const std::string& p) { return keyOf(p) == key; });
    if (found == params_.end()) {
        params_.push_back(line);
    } else {
        *found = line;
    }
    credentialsSet_ = credentialsSet_ || key == kUserName;
}

void Connection::setPassword(std::string_view plain) {
    if (connected()) {
        throw DatabaseError("Cannot change while connected");
    }
    scrambledPassword_ = scramblePassword(plain);
    credentialsSet_ = true;
}

Credentials Connection::credentials() const {
    if (location().isServer() && !credentialsSet_) {
        return {environmentOr("ISC_USER", kServerUser),
                environmentOr("ISC_PASSWORD", kServerPassword)};
    }
    return {param(kUserName), unscramblePassword(scrambledPassword_)};
}

const FbClient& Connection::client() {
    if (client_ == nullptr) {
        client_ = &FbClient::instance();
    }
    return *client_;
}

std::string Connection::parameterBlock() const {
    const Credentials login = credentials();
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    appendItem(dpb, isc_dpb_user_name, login.user);
    appendItem(dpb, isc_dpb_password, login.password);
    appendItem(dpb, isc_dpb_lc_ctype, param(kCharacterSet));
    // Paths are UTF-8 on this platform. Naming the one provider makes a missing engine fail
    // at once instead of falling through to a network attempt, and keeps a server location
    // from ever being opened by this process's own engine.
    appendItem(dpb, isc_dpb_utf8_filename, "");
    appendItem(dpb, isc_dpb_config,
               location().isServer() ? "Providers=Remote" : "Providers=Engine12");
    return dpb;
}

void Connection::createFile(int sqlDialect) {
    std::string dpb = parameterBlock();
    dpb += static_cast<char>(isc_dpb_set_db_charset);
    dpb += static_cast<char>(7);
    dpb += "WIN1250";
    dpb += static_cast<char>(isc_dpb_sql_dialect);
    dpb += std::string{4, static_cast<char>(sqlDialect), 0, 0, 0};
    // Every write on the disk before its commit returns: a power cut at the judges' table
    // must not lose a committed result, whatever the engine's default.
    dpb += static_cast<char>(isc_dpb_force_write);
    dpb += std::string{1, 1};
    const FbClient& api = client();
    const std::string file = path();
    isc_db_handle created = 0;
    ISC_STATUS_ARRAY status{};
    api.create_database(status, 0, file.c_str(), &created, static_cast<short>(dpb.size()),
                        dpb.data(), 0);
    api.check(status);
    api.detach_database(status, &created);
    api.check(status);
}

void Connection::connect() {
    if (connected()) {
        return;
    }
    const FbClient& api = client();
    const std::string dpb = parameterBlock();
    const DatabaseLocation where = location();
    ISC_STATUS_ARRAY status{};
    // The engine closes a file its last attachment left on a thread of its own, so a file
    // this process detached a moment ago (the check for an interrupted copy at the start)
    // can still look held by another engine. Held for longer, it is.
    const auto heldSince = std::chrono::steady_clock::now();
    for (;;) {
        handle_->value = 0;
        api.attach_database(status, 0, where.text().c_str(), &handle_->value,
                            static_cast<short>(dpb.size()), dpb.data());
        if (where.isServer() || !heldByAnotherEngine(status) ||
            std::chrono::steady_clock::now() - heldSince > kHeldPatience) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (status[0] == 1 && status[1] != 0) {
        handle_->value = 0;
        if (heldByAnotherEngine(status)) {
            const std::string file = std::filesystem::absolute(where.path()).string();
            throw DatabaseError(heldMessage(file, heldByLocalServer(file)), isc_already_opened);
        }
        if (!where.isServer() && status[1] == isc_no_priv) {
            const std::string file = std::filesystem::absolute(where.path()).string();
            throw DatabaseError(notWritableMessage(file, api.message(status)), isc_no_priv);
        }
        api.check(status);
    }
    // Only a local file can be watched; a server keeps its files to itself.
    if (!where.isServer()) {
        watch_.watch(where.path());
    }
    fileLostTold_ = false;
}

bool Connection::heldByLocalServer(const std::string& file) const {
    Connection probe("server probe");
    probe.params_ = params_;
    probe.scrambledPassword_ = scrambledPassword_;
    probe.credentialsSet_ = credentialsSet_;
    probe.setPath("localhost:" + file);
    try {
        probe.connect();
        return true;
    } catch (const DatabaseError&) {
        return false;
    }
}

void Connection::checkFileAfterWrite() {
    if (!fileLostTold_ && watch_.lost()) {
        fileLostTold_ = true;
        if (fileLost_) {
            fileLost_();
        }
    }
}

void Connection::requireWritable() {
    if (!fileLostTold_) {
        return;
    }
    if (fileLost_) {
        fileLost_();
    }
    throw DatabaseError(
        "Databáze zmizela: soubor " + location().path() +
        " byl smazán nebo přesunut a jeho kopie se zatím nepoužívá. Zápis byl odmítnut, aby se "
        "neztratil; co jste napsali, zůstává rozepsané.");
}

void Connection::disconnect() {
    if (!connected()) {
        return;
    }
    watch_.stop();
    ISC_STATUS_ARRAY status{};
    client_->detach_database(status, &handle_->value);
    handle_->value = 0;
    client_->check(status);
}

ClientHandle& Connection::handle() {
    connect();
    return *handle_;
}

}  // namespace zlt::db
