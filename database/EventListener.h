#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zlt::db {

class Connection;
struct ClientHandle;
struct FbClient;

// The event every read-write transaction of this layer posts as it commits, so that the
// other judges' tables on the same database learn that the rows changed.
inline constexpr std::string_view kChangeEvent = "ZLT_ZMENA";

// Listens for kChangeEvent on an attachment of its own to the database of a connection.
// The handler runs on a thread of the client library: with lost = false after each
// change, with lost = true once when the attachment is gone (the server stopped, the
// network failed); after that nothing more comes until reconnect().
class EventListener {
public:
    using Handler = std::function<void(bool lost)>;

    // Attaches and listens; throws DatabaseError when the database cannot be reached.
    EventListener(const Connection& connection, Handler handler);
    // Stops listening; no handler call runs or starts once the destructor has returned.
    ~EventListener();
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    // Drops the attachment and attaches again, as after a lost one. Not from the handler.
    void reconnect();

private:
    static void delivered(void* key, unsigned short length, const unsigned char* counts);
    void onDelivery(unsigned short length, const unsigned char* counts);
    void listen();
    void queue();
    void detach();
    void release();
    void freeBuffers();

    const FbClient& client_;
    const std::string location_;
    const std::string parameters_;
    const Handler handler_;
    std::unique_ptr<ClientHandle> attachment_;
    // What the library's thread is handed instead of this object's address: a key that
    // the destructor withdraws, so that a late delivery finds nothing to call.
    const std::uintptr_t key_;
    std::int32_t eventId_ = 0;
    unsigned char* eventBuffer_ = nullptr;
    unsigned char* resultBuffer_ = nullptr;
    unsigned short bufferLength_ = 0;
    bool armed_ = false;  // the first delivery after queueing came; it only sets the counts
};

}  // namespace zlt::db
