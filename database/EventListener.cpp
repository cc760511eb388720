#include "database/EventListener.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <type_traits>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FbClient.h"

namespace zlt::db {
namespace {

static_assert(std::is_same_v<ISC_LONG, std::int32_t>);

// The first delivery comes as soon as the server has the request; one that takes longer
// means the server does not answer, and the listener goes on without it.
constexpr std::chrono::seconds kArmingTime{5};

// The listeners that still live, by key. Its lock is held through every delivery, so a
// destructor that has withdrawn its key knows that no delivery runs or will run for it.
struct Registry {
    std::mutex mutex;
    std::condition_variable armed;
    std::map<std::uintptr_t, EventListener*> listeners;
    std::uintptr_t nextKey = 1;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

std::uintptr_t enter(EventListener* listener) {
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    all.listeners[all.nextKey] = listener;
    return all.nextKey++;
}

}  // namespace

EventListener::EventListener(const Connection& connection, Handler handler)
    : client_(FbClient::instance()),
      location_(connection.location().text()),
      parameters_(connection.parameterBlock()),
      handler_(std::move(handler)),
      attachment_(std::make_unique<ClientHandle>()),
      key_(enter(this)) {
    try {
        listen();
    } catch (...) {
        release();
        throw;
    }
}

EventListener::~EventListener() {
    release();
}

void EventListener::release() {
    {
        Registry& all = registry();
        std::lock_guard lock(all.mutex);
        all.listeners.erase(key_);
    }
    detach();
    freeBuffers();
}

void EventListener::freeBuffers() {
    if (eventBuffer_ == nullptr) {
        return;
    }
    client_.free(reinterpret_cast<ISC_SCHAR*>(eventBuffer_));
    client_.free(reinterpret_cast<ISC_SCHAR*>(resultBuffer_));
    eventBuffer_ = resultBuffer_ = nullptr;
}

void EventListener::reconnect() {
    detach();
    listen();
}

void EventListener::listen() {
    ISC_STATUS_ARRAY status{};
    client_.attach_database(status, 0, location_.c_str(), *attachment_,
                            static_cast<short>(parameters_.size()), parameters_.data());
    if (status[0] == 1 && status[1] != 0) {
        attachment_->value = 0;
        client_.check(status);
    }
    Registry& all = registry();
    std::unique_lock lock(all.mutex);
    // Counts as they start: those of a server before its restart would match the new
    // server's and hold back the first delivery.
    freeBuffers();
    const std::string name(kChangeEvent);
    bufferLength_ = static_cast<unsigned short>(
        client_.event_block(&eventBuffer_, &resultBuffer_, 1, name.c_str()));
    armed_ = false;
    queue();
    // A change committed before the first delivery would only set the counts: the
    // listener is ready once it has come.
    all.armed.wait_for(lock, kArmingTime, [this] { return armed_; });
}

void EventListener::queue() {
    ISC_STATUS_ARRAY status{};
    client_.que_events(status, *attachment_, &eventId_, static_cast<short>(bufferLength_),
                       eventBuffer_, &EventListener::delivered,
                       reinterpret_cast<void*>(key_));  // NOLINT(performance-no-int-to-ptr)
    client_.check(status);
}

void EventListener::detach() {
    if (attachment_->value == 0) {
        return;
    }
    // A lost attachment refuses both; its handle is released all the same.
    ISC_STATUS_ARRAY status{};
    client_.cancel_events(status, *attachment_, &eventId_);
    client_.detach_database(status, *attachment_);
    attachment_->value = 0;
}

void EventListener::delivered(void* key, unsigned short length, const unsigned char* counts) {
    Registry& all = registry();
    std::lock_guard lock(all.mutex);
    const auto found = all.listeners.find(reinterpret_cast<std::uintptr_t>(key));
    if (found != all.listeners.end()) {
        found->second->onDelivery(length, counts);
    }
}

void EventListener::onDelivery(unsigned short length, const unsigned char* counts) {
    // The library reports the end of the attachment as a delivery without counts.
    if (length == 0 || counts == nullptr) {
        handler_(true);
        return;
    }
    std::memcpy(resultBuffer_, counts, std::min(length, bufferLength_));
    ISC_ULONG changes[15] = {};  // the size the library's documentation gives
    client_.event_counts(changes, static_cast<short>(bufferLength_), eventBuffer_, resultBuffer_);
    const bool first = !armed_;
    armed_ = true;
    registry().armed.notify_all();
    try {
        queue();
    } catch (const DatabaseError&) {
        handler_(true);
        return;
    }
    if (!first && changes[0] > 0) {
        handler_(false);
    }
}

}  // namespace zlt::db
