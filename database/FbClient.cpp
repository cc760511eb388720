#include "database/FbClient.h"

#include <dlfcn.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "database/DatabaseError.h"

namespace zlt::db {
namespace {

template <typename Function>
void resolve(void* library, const char* symbol, Function& target, const std::string& file) {
    target = reinterpret_cast<Function>(dlsym(library, symbol));
    if (target == nullptr) {
        throw DatabaseError("InterBase Client " + file + " is not installed (it lacks " + symbol +
                            ")");
    }
}

std::string userLockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return std::string(runtime) + "/zlt-firebird";
    }
    return "/tmp/zlt-firebird-" + std::to_string(getuid());
}

}  // namespace

void prepareEngineEnvironment() {
    // The engine converts a database path from UTF-8 through the character set of the
    // process's locale; under the plain C locale a path with Czech letters cannot be
    // opened at all.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    prepareEngineLockFolder();
}

void prepareEngineLockFolder() {
    if (const char* chosen = std::getenv("FIREBIRD_LOCK"); chosen && *chosen) {
        return;
    }
    const std::string folder = userLockFolder();
    mkdir(folder.c_str(), 0700);
    // A folder of that name that is not ours (or is a link) would hand our lock files to
    // someone else: refuse it rather than follow it.
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
        throw DatabaseError("Cannot use the database lock folder " + folder +
                            ": it is missing or belongs to another user");
    }
    setenv("FIREBIRD_LOCK", folder.c_str(), 1);
}

FbClient FbClient::load(const std::string& libraryFile) {
    void* library = dlopen(libraryFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        throw DatabaseError("InterBase Client " + libraryFile + " is not installed");
    }
    FbClient api{};
    resolve(library, "isc_attach_database", api.attach_database, libraryFile);
    resolve(library, "isc_create_database", api.create_database, libraryFile);
    resolve(library, "isc_detach_database", api.detach_database, libraryFile);
    resolve(library, "isc_start_multiple", api.start_multiple, libraryFile);
    resolve(library, "isc_commit_transaction", api.commit_transaction, libraryFile);
    resolve(library, "isc_rollback_transaction", api.rollback_transaction, libraryFile);
    resolve(library, "isc_dsql_allocate_statement", api.dsql_allocate_statement, libraryFile);
    resolve(library, "isc_dsql_prepare", api.dsql_prepare, libraryFile);
    resolve(library, "isc_dsql_describe", api.dsql_describe, libraryFile);
    resolve(library, "isc_dsql_describe_bind", api.dsql_describe_bind, libraryFile);
    resolve(library, "isc_dsql_execute", api.dsql_execute, libraryFile);
    resolve(library, "isc_dsql_execute2", api.dsql_execute2, libraryFile);
    resolve(library, "isc_dsql_execute_immediate", api.dsql_execute_immediate, libraryFile);
    resolve(library, "isc_dsql_fetch", api.dsql_fetch, libraryFile);
    resolve(library, "isc_dsql_free_statement", api.dsql_free_statement, libraryFile);
    resolve(library, "isc_dsql_sql_info", api.dsql_sql_info, libraryFile);
    resolve(library, "fb_interpret", api.interpret, libraryFile);
    resolve(library, "isc_service_attach", api.service_attach, libraryFile);
    resolve(library, "isc_service_detach", api.service_detach, libraryFile);
    resolve(library, "isc_service_start", api.service_start, libraryFile);
    resolve(library, "isc_service_query", api.service_query, libraryFile);
    resolve(library, "isc_event_block", api.event_block, libraryFile);
    resolve(library, "isc_event_counts", api.event_counts, libraryFile);
    resolve(library, "isc_que_events", api.que_events, libraryFile);
    resolve(library, "isc_cancel_events", api.cancel_events, libraryFile);
    resolve(library, "isc_free", api.free, libraryFile);
    // The library stays loaded for the rest of the run: the engine keeps threads in it.
    return api;
}

const FbClient& FbClient::instance() {
    static std::mutex guard;
    static std::unique_ptr<FbClient> loaded;
    std::lock_guard lock(guard);
    if (!loaded) {
        prepareEngineEnvironment();
        loaded = std::make_unique<FbClient>(load(kLibraryFile));
    }
    return *loaded;
}

std::string FbClient::message(const ISC_STATUS* status) const {
    std::string text;
    const ISC_STATUS* cursor = status;
    char line[1024];
    while (interpret(line, sizeof line, &cursor) > 0) {
        if (!text.empty()) {
            text += "\n-";
        }
        text += line;
    }
    return text.empty() ? "Unknown database error" : text;
}

void FbClient::check(const ISC_STATUS* status) const {
    if (status[0] == 1 && status[1] != 0) {
        throw DatabaseError(message(status), status[1]);
    }
}

}  // namespace zlt::db
