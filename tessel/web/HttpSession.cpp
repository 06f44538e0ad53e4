#include "tessel/web/HttpSession.h"

#include <sys/random.h>

#include <cerrno>
#include <random>

#include "tessel/core/System.h"
#include "tessel/web/HttpRequest.h"

namespace tessel {

namespace {

constexpr int ID_BYTES = 16;

std::map<String, Ref<HttpSession>>* registry = nullptr;
int64_t (*sessionClock)() = nullptr;
int defaultInactiveInterval = HttpSession::DEFAULT_INACTIVE_INTERVAL;
int maxSessions = HttpSession::DEFAULT_MAX_SESSIONS;

void randomBytes(unsigned char* bytes, int size)
{
    int filled = 0;
    while (filled < size) {
        ssize_t got = ::getrandom(bytes + filled, static_cast<size_t>(size - filled), 0);
        if (got > 0) {
            filled += static_cast<int>(got);
        } else if (got < 0 && errno != EINTR) {
            break;
        }
    }
    // Without the kernel's generator (it is there on every supported
    // system), the C++ library's nondeterministic source fills the rest.
    if (filled < size) {
        std::random_device device;
        for (; filled < size; filled++)
            bytes[filled] = static_cast<unsigned char>(device());
    }
}

String hexOf(const unsigned char* bytes, int size)
{
    static constexpr char16_t DIGITS[] = u"0123456789abcdef";
    String text(size * 2);
    for (int i = 0; i < size; i++) {
        text += DIGITS[bytes[i] >> 4];
        text += DIGITS[bytes[i] & 15];
    }
    return text;
}

} // namespace

HttpSession::HttpSession(uint32_t address)
    : creationTime_(now()), lastAccessedTime_(creationTime_), maxInactiveInterval_(defaultInactiveInterval),
      address_(address)
{
}

HttpSession::~HttpSession() = default;

// ---------------------------------------------------------------- attributes

IObject* HttpSession::getAttribute(const String& name) const
{
    auto found = attributes_.find(name);
    return found == attributes_.end() ? nullptr : found->second.get();
}

void HttpSession::setAttribute(const String& name, IObject* object)
{
    if (!object) {
        removeAttribute(name);
        return;
    }
    attributes_[name] = object;
}

bool HttpSession::hasAttribute(const String& name) const
{
    return attributes_.count(name) > 0;
}

void HttpSession::removeAttribute(const String& name)
{
    attributes_.erase(name);
}

void HttpSession::getAttributeNames(Array<String>& out) const
{
    for (const auto& entry : attributes_)
        out.add(new String(entry.first));
}

void HttpSession::invalidate()
{
    // Released objects may look at the session; let them see it empty.
    std::map<String, Ref<IObject>> dropped;
    dropped.swap(attributes_);
}

void HttpSession::renew()
{
    Registry& sessions = _registry();
    Ref<HttpSession> keep(this);
    auto registered = sessions.find(id_);
    if (registered != sessions.end() && registered->second.get() == this)
        sessions.erase(registered);
    id_ = _freshId();
    sessions[id_] = this;
}

bool HttpSession::_isExpired(int64_t now) const
{
    return maxInactiveInterval_ > 0 && lastAccessedTime_ + maxInactiveInterval_ < now;
}

// ------------------------------------------------------------------ registry

const String& HttpSession::getIdName()
{
    static const String name(u"CSESSIONID");
    return name;
}

HttpSession::Registry& HttpSession::_registry()
{
    if (!registry)
        registry = new Registry();
    return *registry;
}

HttpSession* HttpSession::getSessionById(const String& id, uint32_t address)
{
    if (!registry || id.empty())
        return nullptr;
    auto found = registry->find(id);
    if (found == registry->end())
        return nullptr;
    HttpSession* session = found->second.get();
    if (session->address_ != address)
        return nullptr;
    int64_t time = now();
    if (session->_isExpired(time)) {
        registry->erase(found);
        return nullptr;
    }
    // A session seen again is no longer new, even within its first second.
    session->lastAccessedTime_ = time > session->creationTime_ ? time : session->creationTime_ + 1;
    return session;
}

HttpSession* HttpSession::getSessionById(const String& id, const char16_t* address)
{
    return getSessionById(id, HttpRequest::getAddress(address));
}

void HttpSession::gc(bool all)
{
    if (!registry)
        return;
    if (all) {
        Registry* dropped = registry;
        registry = nullptr;
        delete dropped;
        return;
    }
    int64_t time = now();
    for (auto at = registry->begin(); at != registry->end();) {
        if (at->second->_isExpired(time))
            at = registry->erase(at);
        else
            ++at;
    }
}

int HttpSession::count()
{
    return registry ? static_cast<int>(registry->size()) : 0;
}

void HttpSession::remove(const String& id)
{
    if (registry)
        registry->erase(id);
}

HttpSession* HttpSession::_create(const String& remoteAddress)
{
    _makeRoom();
    HttpSession* session = new HttpSession(HttpRequest::getAddress(remoteAddress));
    session->id_ = _freshId();
    _registry()[session->id_] = session;
    return session;
}

String HttpSession::_freshId()
{
    Registry& sessions = _registry();
    unsigned char bytes[ID_BYTES];
    for (;;) {
        randomBytes(bytes, ID_BYTES);
        String id = hexOf(bytes, ID_BYTES);
        if (sessions.count(id) == 0)
            return id;
    }
}

void HttpSession::_makeRoom()
{
    if (maxSessions < 1 || count() < maxSessions)
        return;
    gc(false);
    // Sessions that hold nothing go before those that hold a visitor's
    // state, so that a flood of requests without a session cannot push
    // the signed-in visitors out; within each kind the least recently used
    // goes first.
    while (count() >= maxSessions) {
        auto victim = registry->begin();
        for (auto at = registry->begin(); at != registry->end(); ++at) {
            const HttpSession& candidate = *at->second;
            const HttpSession& held = *victim->second;
            bool candidateEmpty = candidate.attributes_.empty();
            bool heldEmpty = held.attributes_.empty();
            if (candidateEmpty != heldEmpty) {
                if (candidateEmpty)
                    victim = at;
                continue;
            }
            if (candidate.lastAccessedTime_ < held.lastAccessedTime_ ||
                (candidate.lastAccessedTime_ == held.lastAccessedTime_ && candidate.creationTime_ < held.creationTime_))
                victim = at;
        }
        registry->erase(victim);
    }
}

// ------------------------------------------------------------------ settings

void HttpSession::setDefaultInactiveInterval(int seconds)
{
    defaultInactiveInterval = seconds;
}

int HttpSession::getDefaultInactiveInterval()
{
    return defaultInactiveInterval;
}

void HttpSession::setMaxSessions(int sessions)
{
    maxSessions = sessions;
}

int HttpSession::getMaxSessions()
{
    return maxSessions;
}

void HttpSession::setClock(int64_t (*now)())
{
    sessionClock = now;
}

int64_t HttpSession::now()
{
    return sessionClock ? sessionClock() : System::currentTime();
}

} // namespace tessel
