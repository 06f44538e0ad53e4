#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/web/TagNode.h"

namespace tessel {

// Writes the text of an expression: a brace reference "{...}" or
// <tpl:var name="..."/>. Nothing is escaped; template functions encode.
class VarNode : public HttpContext::TagNode {
public:
    VarNode() : TagNode(VAR) {}
    void render(Value* data, TextWriter& out) override;
    bool init(Attributes& attributes) override;

private:
    Ref<AnyValue> expression_;
};

// Renders another template with the same data: the one named by `name`, or
// with `block` the view the data holds under ".".
class IncludeNode : public HttpContext::TagNode {
public:
    IncludeNode() : TagNode(INCLUDE) {}
    void render(Value* data, TextWriter& out) override;
    bool init(Attributes& attributes) override;

private:
    Ref<AnyValue> name_;
};

} // namespace tessel
