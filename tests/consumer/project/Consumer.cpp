// A small program that uses the framework's foundation as an application
// would: it includes only the public header and links only libtessel.so.
// It prints what it checked and exits non-zero on the first surprise.

#include "tessel/tessel.h"

#include <cstdio>
#include <string>
#include <thread>

using namespace tessel;

namespace {

int checks = 0;

bool check(bool ok, const char* what)
{
    checks++;
    if (!ok)
        std::fprintf(stderr, "consumer: %s failed\n", what);
    return ok;
}

class Session : public IObject {
public:
    int requests = 0;
};

class Total : public HttpFunction {
public:
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        out = new AnyValue(data ? data->getInt(u"order.qty") * 2 : 0);
    }
};

bool strings()
{
    String name(u"  上海贸易有限公司  ");
    name.trim();
    String sql;
    sql.format(u"INSERT INTO zpartn (name, amount, row) VALUES ('%s', %0.2f, '%03d')", name.c_str(), 1234.565, 7);
    Array<String> parts;
    int count = String(u"a,b,,c").split(String(u","), parts);
    String joined;
    joined.join(String(u"|"), parts);
    String html(u"<b>Tom & Jerry</b>");
    html.htmlEncode(false);
    return check(name == u"上海贸易有限公司", "trim") &&
           check(sql.startsWith(u"INSERT INTO zpartn (name, amount, row) VALUES ('上海贸易有限公司', "), "format") &&
           check(sql.endsWith(u", '007')"), "format %03d") && check(count == 4 && joined == u"a|b||c", "split/join") &&
           check(html == u"&lt;b&gt;Tom &amp; Jerry&lt;/b&gt;", "htmlEncode") &&
           check(String(u"abc").hashCode() == 3257249267u, "hashCode") &&
           check(compareIgnoreCase(u"SELECT", u"select") == 0 && indexOf(u"a.b", u".") == 1, "free functions") &&
           check(toInteger(u" 42x") == 42 && toBool(u"false") && !toBool(u"0"), "numbers") &&
           check(charsetOf(u"GBK") == 936 && charsetOf(u"euc-jp") == 20932, "charsetOf");
}

bool charsets()
{
    String text(u"采购订单");
    char gbk[32];
    int bytes = CodePage::encode(936, text.c_str(), text.size(), gbk, sizeof gbk);
    String back(gbk, u"gb2312", bytes);
    char utf8[32];
    int n = back.toUTF8(utf8, sizeof utf8);
    String mixed(u"Äb");
    return check(bytes == 8 && back == text, "GBK round trip") && check(n == 12, "toUTF8") &&
           check(String::fromUTF8(std::string(utf8, static_cast<size_t>(n))) == text, "fromUTF8") &&
           check(Character::toLower(u'Ä') == u'ä' && Character::isDigit(u'7'), "Character") &&
           check(mixed.toLower() == u"äb", "toLower") &&
           check(Formatter::format(u"%d-%s", 7, u"x") == u"7-x", "Formatter");
}

bool values()
{
    Ref<Value> tree(new Value());
    tree->insert(u"order.qty", 3);
    tree->insert(u"order.price", 2.5, String(u"%0.4f"), true);
    tree->insert(u"FORM.cmd", u"save");
    Value* order = tree->find(u"order");
    AnyValue qty(u"order.qty");
    qty.setVariant();
    AnyValue total;
    total = static_cast<HttpFunction*>(new Total());
    Array<PairEntry> params;
    params.add(new PairEntry(String(u"b"), String(u"1")));
    params.add(new PairEntry(String(u"a"), String(u"2")));
    params.sort();
    Ref<Value> kept = order;
    tree.reset();
    return check(kept->getAt(u"price") == u"2.5" && kept->getParent() == nullptr, "Value") &&
           check(qty.getInt(nullptr) == 0 && AnyValue(0).getBool(nullptr), "AnyValue") &&
           check(total.getInt(kept) == 0, "HttpFunction without order.qty") &&
           check(params[0]->key == u"a", "PairEntry order");
}

bool services()
{
    System::setEnv(String(u"TESSEL_CONSUMER"), String(u"1"));
    Ref<Session> session(new Session());
    System::setProperty(String(u"session"), session);
    bool registered = System::getProperty(String(u"session")) == session.get() && session->refCount() == 2;
    System::setProperty(String(u"session"), nullptr);

    Library missing(u"/nonexistent/libnothing.so");
    Library self;
    bool opened = self.open(String::fromUTF8(TESSEL_LIBRARY).c_str());

    Mutex mutex;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 1000; i++) {
            mutex.enter();
            counter++;
            mutex.leave();
        }
    };
    std::thread other(work);
    work();
    other.join();
    String temp = System::getTempFileName();
    std::remove(temp.toStdString().c_str());
    return check(System::getEnv(String(u"TESSEL_CONSUMER")) == u"1", "System env") &&
           check(registered && session->refCount() == 1, "System properties") &&
           check(!missing && opened && self.getObject(u"x") == nullptr, "Library") && check(counter == 2000, "Mutex") &&
           check(!temp.empty(), "temp file") && check(System::getCharset() == 65002, "charset");
}

} // namespace

int main()
{
    bool ok = strings() && charsets() && values() && services();
    std::printf("consumer: %d checks %s\n", checks, ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
