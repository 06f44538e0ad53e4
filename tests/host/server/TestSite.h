#pragma once

#include <string>
#include <vector>

#include "HttpClient.h"
#include "PageVisitor.h"
#include "ServerProcess.h"

// The real server over an application folder that the test writes
// (config.xml with a login guard and two templets, templates, message.ini,
// static files), a data folder with real SQLite databases, and the test
// application library (tests/host/plugin) whose "signin" page opens the
// database named in the form and signs the visitor in.
class TestSite : public RealServer {
protected:
    void SetUp() override;
    // Starts the server over the site with these options added.
    void startSite(const std::vector<std::string>& extra = {});
    void restartSite(const std::vector<std::string>& extra = {});

    // A database "<name>.db" in the data folder with one table "notes"
    // holding one row whose "note" is `note`.
    void createDatabase(const std::string& name, const std::string& note);

    HttpClient::Response get(const std::string& target, const std::string& cookie = "")
    {
        return PageVisitor(port, cookie).get(target);
    }
    HttpClient::Response post(const std::string& target, const std::string& body, const std::string& cookie = "",
                              const std::string& type = "application/x-www-form-urlencoded")
    {
        return PageVisitor(port, cookie).post(target, body, type);
    }
    // Signs in to the database; the session cookie ("CSESSIONID=...") the
    // server handed out, or the one given when it handed out none.
    std::string signIn(const std::string& database, const std::string& cookie = "");

    // A folder below the test's folder, so that the server has to make it
    // with its parents.
    std::string dataFolder() const { return temp / "var/data"; }
};
