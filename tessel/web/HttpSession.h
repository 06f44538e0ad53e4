#pragma once

#include <cstdint>
#include <map>

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// Per-visitor state between requests: named objects, the times of creation
// and last access, and an inactivity limit. Sessions live in one
// process-wide registry keyed by their id, a random 128-bit number written
// in lower-case hexadecimal. A session belongs to the client address it was
// created for: a lookup from another address does not find it.
//
// HttpRequest::getSession creates sessions; the host looks them up by the
// id that arrives in the cookie or parameter named by getIdName. Nothing
// here is locked: the host runs every session operation on one thread or
// under a lock of its own.
class HttpSession : public IObject {
public:
    static constexpr int DEFAULT_INACTIVE_INTERVAL = 1800;
    static constexpr int DEFAULT_MAX_SESSIONS = 10000;

    const String& getId() const { return id_; }
    int64_t getCreationTime() const { return creationTime_; }
    int64_t getLastAccessedTime() const { return lastAccessedTime_; }
    // Seconds of inactivity after which the session is gone; 0 or less
    // keeps it for as long as the registry lives.
    int getMaxInactiveInterval() const { return maxInactiveInterval_; }
    void setMaxInactiveInterval(int seconds) { maxInactiveInterval_ = seconds; }
    // The client address the session is bound to (HttpRequest::getAddress).
    uint32_t getAddress() const { return address_; }

    // The object stored under `name` (no reference added), or null.
    IObject* getAttribute(const String& name) const;
    // Stores a reference, releasing the object it replaces; a null object
    // removes the entry.
    void setAttribute(const String& name, IObject* object);
    bool hasAttribute(const String& name) const;
    void removeAttribute(const String& name);
    // Appends the names in their order.
    void getAttributeNames(Array<String>& out) const;
    // Removes every attribute; the session keeps its id and stays registered.
    void invalidate();
    // True until the first lookup after creation.
    bool isNew() const { return lastAccessedTime_ == creationTime_; }
    // Gives the session a fresh id and registers it under that id only,
    // with its attributes kept. The host renews a session when its visitor
    // signs in, so that an id planted before the sign-in is worth nothing.
    void renew();

    // "CSESSIONID", the cookie or parameter that carries the id.
    static const String& getIdName();
    // The registered session of that id for that client address, or null
    // (unknown id, other address, or expired: an expired session is removed
    // from the registry). A session found counts as accessed now. No
    // reference is added.
    static HttpSession* getSessionById(const String& id, uint32_t address);
    static HttpSession* getSessionById(const String& id, const char16_t* address);
    // With `all`, releases every session and the registry itself; otherwise
    // removes the expired sessions.
    static void gc(bool all);
    // The number of registered sessions.
    static int count();
    // Unregisters the session of that id, if there is one; the host drops
    // sessions it keeps no use for.
    static void remove(const String& id);

    // New sessions start with this inactivity limit (1800 seconds unless
    // set otherwise).
    static void setDefaultInactiveInterval(int seconds);
    static int getDefaultInactiveInterval();
    // At most this many sessions are registered (10000 unless set
    // otherwise; below 1 means no limit). A new session that would pass the
    // limit first removes the expired sessions, then the least recently
    // used ones, those without attributes before the others.
    static void setMaxSessions(int sessions);
    static int getMaxSessions();
    // The clock sessions read, seconds since 1970; null restores the
    // system clock. Tests set their own.
    static void setClock(int64_t (*now)());
    static int64_t now();

private:
    friend class HttpRequest;
    using Registry = std::map<String, Ref<HttpSession>>;

    explicit HttpSession(uint32_t address);
    ~HttpSession() override;

    // A new registered session for the client address.
    static HttpSession* _create(const String& remoteAddress);
    static Registry& _registry();
    static String _freshId();
    static void _makeRoom();
    bool _isExpired(int64_t now) const;

    String id_;
    int64_t creationTime_ = 0;
    int64_t lastAccessedTime_ = 0;
    int maxInactiveInterval_ = 0;
    std::map<String, Ref<IObject>> attributes_;
    uint32_t address_ = 0;
};

} // namespace tessel
