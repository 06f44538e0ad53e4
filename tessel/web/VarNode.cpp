#include "tessel/web/VarNode.h"

#include "tessel/core/TextWriter.h"

namespace tessel {

bool VarNode::init(Attributes& attributes)
{
    const String* name = attribute(attributes, u"name");
    if (!name || name->empty())
        return false;
    expression_ = expression(*name, false);
    return !expression_.empty();
}

void VarNode::render(Value* data, TextWriter& out)
{
    AnyValue::Text holder;
    const String* text = expression_->read(data, holder);
    if (text && !text->empty())
        out.write(*text);
}

bool IncludeNode::init(Attributes& attributes)
{
    String name(u".");
    if (!attribute(attributes, u"block")) {
        const String* given = attribute(attributes, u"name");
        if (!given || given->empty())
            return false;
        name = *given;
    }
    name_ = expression(name, true);
    return !name_.empty();
}

void IncludeNode::render(Value* data, TextWriter& out)
{
    Ref<String> name = name_->getString(data);
    if (!name || name->empty())
        return;
    // A copy: the name may be a leaf of the data, which the included
    // template is free to change.
    String template_(*name);
    if (context_)
        context_->render(template_, data, out);
}

} // namespace tessel
