#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HttpClient.h"
#include "PageVisitor.h"
#include "ServerProcess.h"
#include "TempFolder.h"

// The real server over an application folder that the test writes
// (config.xml with a login guard and two templets, templates, message.ini),
// a data folder with real SQLite databases, and the test application
// library (tests/host/plugin) whose "signin" page opens the database named
// in the form and signs the visitor in.
class TestSite : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void start(const std::vector<std::string>& extra = {});
    // Stops with SIGTERM (which must end cleanly) and starts again on the
    // same folders.
    void restart();

    // A database "<name>.db" in the data folder with one table "notes"
    // holding one row whose "note" is `note`.
    void createDatabase(const std::string& name, const std::string& note);

    HttpClient::Response get(const std::string& target, const std::string& cookie = "");
    HttpClient::Response post(const std::string& target, const std::string& body, const std::string& cookie = "",
                              const std::string& type = "application/x-www-form-urlencoded");
    // Signs in to the database; the session cookie ("CSESSIONID=...") the
    // server handed out, or the one given when it handed out none.
    std::string signIn(const std::string& database, const std::string& cookie = "");

    static std::string sessionCookie(const HttpClient::Response& response)
    {
        return PageVisitor::sessionCookie(response);
    }
    static std::string sessionSetCookie(const HttpClient::Response& response)
    {
        return PageVisitor::sessionSetCookie(response);
    }

    std::string dataFolder() const { return temp / "data"; }

    TempFolder temp;
    std::unique_ptr<ServerProcess> server;
    int port = 0;

private:
    void writeApplication();
};
