#include "host/CompanyCreation.h"

#include "tessel/web/HttpContext.h"

#include "dbdriver/SqliteSession.h"

#include "host/InProcessPage.h"
#include "host/Utf8.h"

namespace host {

namespace {

const char* const OK = "ok:";

} // namespace

CompanyCreation::CompanyCreation(tessel::HttpContext& context, const tessel::String& dataFolder)
    : context_(context), dataFolder_(dataFolder)
{
}

bool CompanyCreation::isOffered() const
{
    return InProcessPage(context_, PAGE).isOffered();
}

bool CompanyCreation::exists(const std::string& name) const
{
    tessel::Ref<SqliteSession> session = new SqliteSession(dataFolder_);
    return session->exists(Utf8::decode(name));
}

std::string CompanyCreation::create(const std::string& name, const std::string& company, const std::string& password,
                                    bool demo)
{
    InProcessPage page(context_, PAGE);
    page.setField(u"cmd", u"create");
    page.setField(u"dbname", Utf8::decode(name));
    page.setField(u"company", Utf8::decode(company));
    page.setField(u"passwd", Utf8::decode(password));
    page.setField(u"demo", demo ? u"1" : u"0");
    tessel::Ref<SqliteSession> database = new SqliteSession(dataFolder_);
    std::string answer;
    bool ran = page.run(database, answer);
    database->close();
    if (!ran)
        return answer;
    if (answer.rfind(OK, 0) == 0)
        return std::string();
    return answer.empty() ? std::string("the database was not made") : answer;
}

} // namespace host
