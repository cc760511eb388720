#include "database/Services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <string_view>
#include <system_error>
#include <vector>

#include "database/Connection.h"
#include "database/FbClient.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "text/TextFile.h"

namespace zlt::db {
namespace {

namespace fs = std::filesystem;

// What copyDatabase writes beside the copy while it is under way.
constexpr std::string_view kBackupSuffix = ".nbk";
constexpr std::string_view kRestoredSuffix = ".part";
// Where the engine keeps the pages written while the database is under backup.
constexpr std::string_view kDifferenceSuffix = ".delta";

// The service parameters' clumplets: a short one (attach) has a one-byte length, an action's
// text a two-byte and its number a four-byte value, all little-endian.
void appendShortText(std::string& block, char tag, std::string_view text) {
    block += tag;
    block += static_cast<char>(text.size());
    block.append(text);
}

void appendText(std::string& block, char tag, std::string_view text) {
    block += tag;
    block += static_cast<char>(text.size() & 0xFF);
    block += static_cast<char>(text.size() >> 8);
    block.append(text);
}

void appendNumber(std::string& block, char tag, std::uint32_t number) {
    block += tag;
    for (int shift = 0; shift < 32; shift += 8) {
        block += static_cast<char>((number >> shift) & 0xFF);
    }
}

int systemErrorOf(const ISC_STATUS* status) {
    for (const ISC_STATUS* item = status; *item != isc_arg_end;) {
        if (item[0] == isc_arg_unix) {
            return static_cast<int>(item[1]);
        }
        item += item[0] == isc_arg_cstring ? 3 : 2;
    }
    return 0;
}

// One attachment of the embedded engine's service manager.
class ServiceManager {
public:
    ServiceManager() : api_(FbClient::instance()) {
        std::string block{static_cast<char>(isc_spb_version),
                          static_cast<char>(isc_spb_current_version)};
        appendShortText(block, isc_spb_user_name, "SYSDBA");
        appendShortText(block, isc_spb_utf8_filename, "");
        // The same embedded engine the connections use, never a server.
        appendShortText(block, isc_spb_config, "Providers=Engine12");
        ISC_STATUS_ARRAY status{};
        api_.service_attach(status, 0, "service_mgr", &handle_,
                            static_cast<unsigned short>(block.size()), block.data());
        check(status);
    }

    ~ServiceManager() {
        ISC_STATUS_ARRAY status{};
        api_.service_detach(status, &handle_);
    }

    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    // Returns what the service printed.
    std::string run(const std::string& action) {
        ISC_STATUS_ARRAY status{};
        api_.service_start(status, &handle_, nullptr, static_cast<unsigned short>(action.size()),
                           action.data());
        check(status);
        std::string output;
        while (readOutput(output)) {
        }
        return output;
    }

private:
    // The engine answers once the service has ended or the buffer is full; an error of the
    // service comes with the answer. Returns whether there may be more to read.
    bool readOutput(std::string& output) {
        const char request[] = {isc_info_svc_to_eof};
        char buffer[4096];
        ISC_STATUS_ARRAY status{};
        api_.service_query(status, &handle_, nullptr, 0, nullptr, sizeof request, request,
                           sizeof buffer, buffer);
        check(status);
        if (buffer[0] != isc_info_svc_to_eof) {
            return false;
        }
        const auto length = static_cast<std::size_t>(static_cast<unsigned char>(buffer[1]) |
                                                     static_cast<unsigned char>(buffer[2]) << 8);
        const std::size_t next = 3 + length;
        if (next > sizeof buffer) {
            return false;
        }
        output.append(buffer + 3, length);
        return length > 0 || (next < sizeof buffer && (buffer[next] == isc_info_truncated ||
                                                       buffer[next] == isc_info_data_not_ready));
    }

    void check(const ISC_STATUS* status) const {
        if (status[0] == 1 && status[1] != 0) {
            throw ServiceError(api_.message(status), status[1], systemErrorOf(status));
        }
    }

    const FbClient& api_;
    isc_svc_handle handle_ = 0;
};

std::string backupAction(const fs::path& database, const fs::path& backupFile) {
    std::string action(1, static_cast<char>(isc_action_svc_nbak));
    appendText(action, isc_spb_dbname, database.string());
    appendText(action, isc_spb_nbk_file, backupFile.string());
    appendNumber(action, isc_spb_nbk_level, 0);
    return action;
}

std::string restoreAction(const fs::path& database, const fs::path& backupFile) {
    std::string action(1, static_cast<char>(isc_action_svc_nrest));
    appendText(action, isc_spb_dbname, database.string());
    appendText(action, isc_spb_nbk_file, backupFile.string());
    return action;
}

std::string validateAction(const fs::path& database) {
    std::string action(1, static_cast<char>(isc_action_svc_validate));
    appendText(action, isc_spb_dbname, database.string());
    return action;
}

// The validation prints a line per table and index, "Error: ..." for each fault it finds
// and "... : 3 ERRORS found" under a table or index that had any; warnings (an orphan back
// version, whose space the engine takes back) are no fault.
std::vector<std::string> errorLines(const std::string& output) {
    std::vector<std::string> errors;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        const std::string line = output.substr(start, end - start);
        if (line.find("Error") != std::string::npos ||
            line.find("ERRORS found") != std::string::npos) {
            const std::size_t text = line.find(' ');  // after the time of day
            errors.push_back(text == std::string::npos ? line : line.substr(text + 1));
        }
        start = end + 1;
    }
    return errors;
}

void throwSystemError(const std::string& what, const fs::path& file) {
    const int error = errno;
    throw ServiceError(what + " " + file.string() + ": " + std::generic_category().message(error),
                       0, error);
}

// The copy's data on the disk before its name appears: a USB stick may be pulled out next.
void finishFile(const fs::path& file, const fs::path& database) {
    struct stat info {};
    if (stat(database.c_str(), &info) != 0 || chmod(file.c_str(), info.st_mode & 07777) != 0) {
        throwSystemError("Cannot set the mode of", file);
    }
    const int descriptor = open(file.c_str(), O_RDONLY);
    if (descriptor < 0 || fsync(descriptor) != 0) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        throwSystemError("Cannot write", file);
    }
    close(descriptor);
}

// The engine marks the database as under backup with a forced write of its header, but
// creates the file of pages changed meanwhile without syncing its folder: a power cut then
// leaves a database that names a file the disk never kept, and it no longer opens. The file
// is made here, its name synced, before the engine is asked to use it; the engine opens the
// file that is there.
void prepareDifferenceFile(const fs::path& database) {
    const fs::path difference = fs::path(database) += kDifferenceSuffix;
    const int descriptor = open(difference.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0 || close(descriptor) != 0) {
        throwSystemError("Cannot create", difference);
    }
    try {
        text::syncFolder(fs::absolute(database).parent_path());
    } catch (const text::FileWriteError& error) {
        errno = error.error();
        throwSystemError("Cannot write", difference);
    }
}

// A transaction of its own for each look, so that it sees the state as it is now.
BackupMode backupModeOf(Connection& connection) {
    const FieldList fields("MON$DATABASE", {{"MON$BACKUP_STATE", FieldType::Integer, 0, ""}});
    ResultSet state("backup mode", connection, fields, "SELECT * FROM MON$DATABASE");
    state.open();
    const std::string shown = displayText(state.value(0, 0));
    return shown == "0"   ? BackupMode::Normal
           : shown == "2" ? BackupMode::Merging
                          : BackupMode::Stalled;
}

}  // namespace

FileFault fileFaultOf(const DatabaseError& error) {
    switch (error.engineCode()) {
        case isc_bad_db_format:
            return FileFault::NotADatabase;
        case isc_io_error:
            // The engine's own words for a file that ends before its last page.
            return std::string_view(error.what()).find("less than expected") != std::string::npos
                       ? FileFault::Truncated
                       : FileFault::Unreadable;
        case isc_wrong_ods:
            return FileFault::OtherEngineVersion;
        case isc_db_corrupt:
        case isc_bug_check:
            return FileFault::Corrupt;
        default:
            return FileFault::Other;
    }
}

std::vector<std::string> validateDatabase(const fs::path& database) {
    ServiceManager services;
    return errorLines(services.run(validateAction(database)));
}

void copyDatabase(const fs::path& database, const fs::path& copy) {
    // The level-0 backup alone is marked as a database under backup and does not open; the
    // restore of it is the usable copy.
    const fs::path backupFile = fs::path(copy) += kBackupSuffix;
    const fs::path restored = fs::path(copy) += kRestoredSuffix;
    bool named = false;
    try {
        prepareDifferenceFile(database);
        ServiceManager services;
        services.run(backupAction(database, backupFile));
        services.run(restoreAction(restored, backupFile));
        fs::remove(backupFile);
        finishFile(restored, database);
        fs::rename(restored, copy);
        named = true;
        // Until its folder is synced, the copy's name may vanish in a power cut; a copy
        // that may vanish does not count as taken.
        try {
            text::syncFolder(copy.parent_path());
        } catch (const text::FileWriteError& error) {
            errno = error.error();
            throwSystemError("Cannot write", copy.parent_path());
        }
    } catch (...) {
        std::error_code ignored;
        fs::remove(backupFile, ignored);
        fs::remove(restored, ignored);
        if (named) {
            fs::remove(copy, ignored);
        }
        // The engine ends its backup mode after a failure of its own; this is for a failure
        // that came between it and us, so that no later copy is refused for it.
        try {
            endBackupMode(database);
        } catch (const std::exception&) {
            // The copy's own failure is the one to tell; the next copy tries again.
        }
        throw;
    }
}

fs::path copyOfWorkFile(const fs::path& file) {
    const std::string name = file.filename().string();
    for (const std::string_view suffix : {kBackupSuffix, kRestoredSuffix}) {
        if (name.size() > suffix.size() &&
            std::string_view(name).substr(name.size() - suffix.size()) == suffix) {
            return file.parent_path() / name.substr(0, name.size() - suffix.size());
        }
    }
    return {};
}

BackupMode backupModeOf(const fs::path& database) {
    Connection connection("backup mode");
    connection.setPath(database.string());
    return backupModeOf(connection);
}

bool endBackupMode(const fs::path& database) {
    Connection connection("backup mode");
    connection.setPath(database.string());
    if (backupModeOf(connection) == BackupMode::Normal) {
        return false;
    }
    try {
        Statement("end backup", connection, "ALTER DATABASE END BACKUP").execute();
    } catch (const DatabaseError&) {
        // A merge already under way is the engine's to finish; it may have done so meanwhile.
        if (backupModeOf(connection) != BackupMode::Normal) {
            throw;
        }
    }
    return true;
}

// What the engine's own repair tool does for a database copied while under backup: the
// header's backup state goes back to normal and the changes file is given up.
void leaveStalledBackupMode(const fs::path& database) {
    constexpr off_t kHeaderFlags = 42;  // of the header page, the database's first bytes
    constexpr unsigned char kHeaderPage = 1;
    constexpr std::uint16_t kBackupState = 0x0C00;
    constexpr std::uint16_t kStalled = 0x0400;
    const int descriptor = open(database.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0) {
        throwSystemError("Cannot open", database);
    }
    unsigned char type = 0;
    std::uint16_t flags = 0;
    const bool read = pread(descriptor, &type, 1, 0) == 1 &&
                      pread(descriptor, &flags, sizeof flags, kHeaderFlags) == sizeof flags;
    if (!read || type != kHeaderPage || (flags & kBackupState) != kStalled) {
        close(descriptor);
        throw DatabaseError("The header of " + database.string() +
                            " is not one of a database "
                            "under backup");
    }
    flags &= static_cast<std::uint16_t>(~kBackupState);
    const bool written = pwrite(descriptor, &flags, sizeof flags, kHeaderFlags) == sizeof flags &&
                         fsync(descriptor) == 0;
    const int error = errno;
    close(descriptor);
    if (!written) {
        errno = error;
        throwSystemError("Cannot write", database);
    }
    std::error_code ignored;
    fs::remove(fs::path(database) += kDifferenceSuffix, ignored);
}

}  // namespace zlt::db
