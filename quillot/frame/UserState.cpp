#include "quillot/frame/UserState.h"

#include "tessel/web/HttpSession.h"

namespace {

const char16_t* const ATTRIBUTE = u"quillot.user";

} // namespace

UserState& UserState::of(tessel::HttpSession& session)
{
    if (auto* state = dynamic_cast<UserState*>(session.getAttribute(ATTRIBUTE)))
        return *state;
    auto* state = new UserState();
    session.setAttribute(ATTRIBUTE, state);
    return *state;
}
