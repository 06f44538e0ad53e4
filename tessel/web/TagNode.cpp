#include "tessel/web/TagNode.h"

#include "tessel/core/AnyValue.h"
#include "tessel/core/TextWriter.h"

namespace tessel {

void HttpContext::TagNode::render(Value* data, TextWriter& out)
{
    renderChildren(data, out);
}

void HttpContext::TagNode::renderChildren(Value* data, TextWriter& out)
{
    for (int i = 0; i < children_.size(); i++)
        children_[i]->render(data, out);
}

bool HttpContext::TagNode::add(TagNode* child)
{
    if (!child || (kind_ != BLOCK && !isContainer()))
        return false;
    children_.add(child);
    child->parent_ = this;
    return true;
}

const String* HttpContext::TagNode::attribute(const Attributes& attributes, const char16_t* name)
{
    auto it = attributes.find(String(name));
    return it == attributes.end() ? nullptr : &it->second;
}

Ref<AnyValue> HttpContext::TagNode::expression(const String& text, bool simple) const
{
    Ref<AnyValue> value;
    if (context_)
        context_->parseVar(text, value.out(), simple);
    return value;
}

void TextNode::render(Value*, TextWriter& out)
{
    if (!text_.empty())
        out.write(text_);
}

} // namespace tessel
