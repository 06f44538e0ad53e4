#pragma once

#include <initializer_list>

#include "quillot/frame/PageRegistry.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"

class IDbSession;
class UserState;

// Base of every page action of the application. Besides the framework's
// action it knows the signed-in company's session tree (set by the
// dispatcher's initAction; null when nobody is signed in), the visitor's
// own state, the database session the host bound and the registration it
// was made from, which gives its class name.
class PageAction : public tessel::HttpAction {
public:
    // The page name followed by "Action" ("NoticeAction"); "EmptyAction"
    // for a page without an action of its own.
    tessel::String getClassName() const final;
    void setEntry(const PageRegistry::Entry* entry) { entry_ = entry; }

    tessel::Value* company() const { return company_; }
    void setCompany(tessel::Value* company) { company_ = company; }
    IDbSession* db() const { return getDbSession(); }
    // The "FORM" section of the data tree (made when missing).
    tessel::Value* form() const;
    // The "POST" section, or null for a request that is not a POST.
    tessel::Value* post() const;
    // The visitor's own state, kept in the session.
    UserState& userState() const;
    // Sends the browser to `url` instead of rendering the page.
    void redirectTo(const tessel::String& url);
    // The page's texts of message.ini under "messages", so that its script
    // can tell which field an answer is about.
    void offerMessages();

protected:
    ~PageAction() override = default;

    // One command of a page: the word FORM.cmd sends ("" for the page shown
    // without a command) and the member that carries it out.
    template <class Page>
    struct Command {
        const char16_t* name;
        void (Page::*run)();
    };

    // Carries out the command FORM.cmd names. A word the table lacks
    // answers "Common.unknown"; no word at all, when the table has no ""
    // entry, leaves the page to its template.
    template <class Page>
    void runCommand(Page* page, std::initializer_list<Command<Page>> commands)
    {
        tessel::String cmd = form()->getAt(u"cmd");
        for (const Command<Page>& command : commands) {
            if (cmd == command.name) {
                (page->*command.run)();
                return;
            }
        }
        if (!cmd.empty())
            setError(u"Common.unknown");
    }

private:
    tessel::Value* company_ = nullptr;
    const PageRegistry::Entry* entry_ = nullptr;
};
