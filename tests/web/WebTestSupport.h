#pragma once

#include <gtest/gtest.h>

#include <string>

#include "MemoryFileSystem.h"
#include "tessel/core/AnyValue.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpFunction.h"

namespace tessel::testing {

inline String u16(const std::string& utf8)
{
    return String::fromUTF8(utf8);
}

// "twice": P1 written two times. "join": P1, P2 and P3 with "-" between,
// valid with three parameters.
class TwiceFunction : public HttpFunction {
public:
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        Ref<String> text = params_[0]->getString(data);
        String twice = text ? *text + *text : String();
        out = new AnyValue(twice.c_str());
    }
};

class JoinFunction : public HttpFunction {
public:
    bool isValid() override { return params_.size() >= 3; }
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        String joined;
        for (int i = 0; i < params_.size(); i++) {
            if (i > 0)
                joined.append(u'-');
            if (Ref<String> text = params_[i]->getString(data))
                joined.append(*text);
        }
        out = new AnyValue(joined.c_str());
    }
};

// A dispatcher of the test's own: it offers "twice" and "join" and notes
// the function names it was asked for.
class TestDispatcher : public HttpDispatcher {
public:
    bool dispatch(const String&, HttpAction**) override { return false; }
    void initAction(HttpAction&) override {}
    bool checkRight(HttpRequest&) override { return true; }
    bool createFunction(const String& name, HttpFunction** out) override
    {
        asked += name.toStdString() + ";";
        Ref<HttpFunction> function;
        if (name == u"twice")
            function = new TwiceFunction();
        else if (name == u"join")
            function = new JoinFunction();
        else
            return false;
        *out = function.detach();
        return true;
    }
    bool onTimer(int&) override { return false; }

    std::string asked;
};

// A context over an in-memory application folder, with a way to render
// into text.
class WebTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        files = new MemoryFileSystem();
        context = new HttpContext();
        data = new Value();
    }

    // Puts the files first, then (re)initialises the context over them.
    void start() { context->initialize(files); }

    void page(const std::string& name, const std::string& text) { files->put(name + ".htm", text); }

    // The output of render (or convert), or "<failed>" when it refused.
    std::string render(const std::string& name, Value* tree = nullptr)
    {
        return written([&](TextWriter& out) { return context->render(u16(name), tree ? tree : data.get(), out); });
    }
    std::string convert(const std::string& path, Value* tree = nullptr)
    {
        return written([&](TextWriter& out) { return context->convert(u16(path), tree ? tree : data.get(), out); });
    }
    // Renders a template text put under a fresh name.
    std::string renderText(const std::string& text, Value* tree = nullptr)
    {
        std::string name = "t" + std::to_string(++counter_);
        page(name, text);
        if (!context->getFileSystem())
            start();
        return render(name, tree);
    }

    void set(const std::string& path, const std::string& text) { data->insert(u16(path), u16(text)); }

    template <class Body>
    static std::string written(Body body)
    {
        Ref<MemoryStream> stream = new MemoryStream();
        Ref<TextWriter> writer = new TextWriter(stream, 65001);
        if (!body(*writer))
            return "<failed>";
        return std::string(stream->getBuffer() ? stream->getBuffer() : "", static_cast<size_t>(stream->getSize()));
    }

    Ref<MemoryFileSystem> files;
    Ref<HttpContext> context;
    Ref<Value> data;

private:
    int counter_ = 0;
};

} // namespace tessel::testing
