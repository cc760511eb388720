#pragma once

#include <ibase.h>

#include <string>

namespace zlt::db {

// A handle of the client library, for an attachment or a transaction. The layer's public
// classes hold it through a pointer, so that their headers need not include the library's.
struct ClientHandle {
    FB_API_HANDLE value = 0;
    // The library's calls take the address of the handle they use or fill in.
    operator FB_API_HANDLE*() { return &value; }
};

// The ISC C API of the Firebird client library, opened at run time so that a machine
// without the library still starts the program and reports what is missing.
struct FbClient {
    decltype(&::isc_attach_database) attach_database;
    decltype(&::isc_create_database) create_database;
    decltype(&::isc_detach_database) detach_database;
    decltype(&::isc_start_multiple) start_multiple;
    decltype(&::isc_commit_transaction) commit_transaction;
    decltype(&::isc_rollback_transaction) rollback_transaction;
    decltype(&::isc_dsql_allocate_statement) dsql_allocate_statement;
    decltype(&::isc_dsql_prepare) dsql_prepare;
    decltype(&::isc_dsql_describe) dsql_describe;
    decltype(&::isc_dsql_describe_bind) dsql_describe_bind;
    decltype(&::isc_dsql_execute) dsql_execute;
    decltype(&::isc_dsql_execute2) dsql_execute2;
    decltype(&::isc_dsql_execute_immediate) dsql_execute_immediate;
    decltype(&::isc_dsql_fetch) dsql_fetch;
    decltype(&::isc_dsql_free_statement) dsql_free_statement;
    decltype(&::isc_dsql_sql_info) dsql_sql_info;
    decltype(&::fb_interpret) interpret;
    decltype(&::isc_service_attach) service_attach;
    decltype(&::isc_service_detach) service_detach;
    decltype(&::isc_service_start) service_start;
    decltype(&::isc_service_query) service_query;
    decltype(&::isc_event_block) event_block;
    decltype(&::isc_event_counts) event_counts;
    decltype(&::isc_que_events) que_events;
    decltype(&::isc_cancel_events) cancel_events;
    decltype(&::isc_free) free;

    // The client library of this platform, named in the error when it cannot be loaded.
    static constexpr const char* kLibraryFile = "libfbclient.so.2";

    // Loads the library on first use; throws DatabaseError
    // "InterBase Client libfbclient.so.2 is not installed" when it cannot be loaded.
    static const FbClient& instance();

    // Loads a library file of the given name, for checking how a missing one is reported.
    static FbClient load(const std::string& libraryFile);

    // Throws DatabaseError with the engine's message when the status vector holds an error.
    void check(const ISC_STATUS* status) const;
    std::string message(const ISC_STATUS* status) const;
};

// Points the embedded engine's lock files at a folder the current user owns, unless the
// user has chosen one. The engine's default folder is shared by all users and, once
// created by one of them, makes every attach of the others fail.
void prepareEngineLockFolder();

// Everything the embedded engine needs of the process before it is loaded: the lock
// folder above and a UTF-8 character type for file paths.
void prepareEngineEnvironment();

}  // namespace zlt::db
