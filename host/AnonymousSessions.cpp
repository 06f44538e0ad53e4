#include "host/AnonymousSessions.h"

#include "tessel/web/HttpSession.h"

namespace host {

void AnonymousSessions::add(const tessel::String& id)
{
    ids_.push_back(id);
    while (ids_.size() > limit_) {
        tessel::HttpSession::remove(ids_.front());
        ids_.pop_front();
    }
}

} // namespace host
