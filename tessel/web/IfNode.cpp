#include "tessel/web/IfNode.h"

#include "tessel/core/Value.h"
#include "tessel/web/ExpressionBuilder.h"

namespace tessel {

namespace {

struct OpcodeName {
    const char16_t* name;
    int code;
    bool needsValue;
};

const OpcodeName OPCODES[] = {
    {u"", IfNode::NOT_EMPTY, false},        {u"notempty", IfNode::NOT_EMPTY, false},
    {u"empty", IfNode::EMPTY, false},       {u"notexist", IfNode::NOT_EXIST, false},
    {u"exist", IfNode::EXIST, false},       {u"odd", IfNode::ODD, false},
    {u"even", IfNode::EVEN, false},         {u"equal", IfNode::EQUAL, true},
    {u"notequal", IfNode::NOT_EQUAL, true}, {u"number", IfNode::NUMBER, false},
    {u"more", IfNode::MORE, true},          {u"notmore", IfNode::NOT_MORE, true},
    {u"less", IfNode::LESS, true},          {u"notless", IfNode::NOT_LESS, true},
    {u"firstof", IfNode::FIRST_OF, true},   {u"lastof", IfNode::LAST_OF, true},
    {u"first", IfNode::FIRST, false},       {u"later", IfNode::LATER, false},
    {u"fileof", IfNode::FILE_OF, true},
};

const OpcodeName* lookup(const String& text)
{
    for (const OpcodeName& entry : OPCODES)
        if (text == entry.name)
            return &entry;
    return nullptr;
}

// The remainder with a divisor of -1 taken as 0, which the machine's
// division cannot give for the smallest integer.
int remainder(int n, int m)
{
    return m == -1 ? 0 : n % m;
}

} // namespace

int IfNode::opcodeOf(const String& text)
{
    const OpcodeName* entry = lookup(text);
    return entry ? entry->code : -1;
}

bool IfNode::init(Attributes& attributes)
{
    const String* name = attribute(attributes, u"name");
    left_ = expression(name ? *name : String(u"ROWID"), true);

    const String* value = attribute(attributes, u"value");
    String opcode;
    if (const String* given = attribute(attributes, u"opcode")) {
        opcode = *given;
        opcode.toLower();
        // The comparisons against a number compare with 0 when no value
        // is given.
        if (!value && String(u"more,notmore,less,notless").indexOf(opcode) >= 0) {
            String& zero = attributes[String(u"value")];
            zero = u"0";
            value = &zero;
        }
    } else if (value) {
        opcode = u"equal";
    }
    const OpcodeName* entry = lookup(opcode);
    if (!entry)
        return false;
    opcode_ = entry->code;
    if (entry->needsValue) {
        if (!value)
            return false;
        right_ = expression(*value, false);
    }
    return !left_.empty();
}

bool IfNode::setNext(TagNode* next)
{
    next_ = dynamic_cast<IfNode*>(next);
    return true;
}

void IfNode::markTaken()
{
    for (IfNode* branch = this; branch; branch = branch->next_)
        branch->done_ = true;
}

void IfNode::markNotTaken()
{
    done_ = false;
    if (next_)
        next_->done_ = false;
}

void IfNode::renderTaken(Value* data, TextWriter& out)
{
    markTaken();
    renderChildren(data, out);
    markTaken();
}

void IfNode::render(Value* data, TextWriter& out)
{
    if (evaluate(data) == 1)
        renderTaken(data, out);
    else
        markNotTaken();
}

int IfNode::evaluate(Value* data) const
{
    if (!left_)
        return 0;
    switch (opcode_) {
    case NOT_EMPTY: {
        Value* node = left_->getValue(data);
        return node && !node->empty() ? 1 : 0;
    }
    case EMPTY: {
        Value* node = left_->getValue(data);
        return !node || node->empty() ? 1 : 0;
    }
    case NOT_EXIST: return left_->getValue(data) ? 0 : 1;
    case EXIST: return left_->getValue(data) ? 1 : 0;
    default: break;
    }
    AnyValue::Text leftText;
    const String* text = left_->read(data, leftText);
    if (!text)
        return -1;
    switch (opcode_) {
    case EQUAL:
    case NOT_EQUAL: {
        AnyValue::Text rightText;
        const String* right = right_ ? right_->read(data, rightText) : nullptr;
        bool equal = right && *right == *text;
        return (opcode_ == EQUAL) == equal ? 1 : 0;
    }
    case NUMBER: return ExpressionBuilder::isNumber(*text) ? 1 : 0;
    case FILE_OF: return _fileOf(data, *text);
    default: return _compareNumbers(data, *text);
    }
}

int IfNode::_compareNumbers(Value* data, const String& text) const
{
    if (!ExpressionBuilder::isNumber(text))
        return -1;
    int n = text.toInteger();
    switch (opcode_) {
    case ODD: return n % 2 != 0 ? 1 : 0;
    case EVEN: return n % 2 == 0 ? 1 : 0;
    case FIRST: return n == 1 ? 1 : 0;
    case LATER: return n >= 2 ? 1 : 0;
    default: break;
    }
    if (!right_)
        return 0;
    int m = right_->getInt(data);
    switch (opcode_) {
    case MORE: return n > m ? 1 : 0;
    case NOT_MORE: return n <= m ? 1 : 0;
    case LESS: return n < m ? 1 : 0;
    case NOT_LESS: return n >= m ? 1 : 0;
    case FIRST_OF: return m != 0 && remainder(n, m) == 1 ? 1 : 0;
    case LAST_OF: return m != 0 && remainder(n, m) == 0 ? 1 : 0;
    default: return -1;
    }
}

// True when the text names a file whose extension is not the right one:
// the part after the last "." (before any "?"), which must not hold a path
// separator.
int IfNode::_fileOf(Value* data, const String& text) const
{
    Ref<String> right = right_ ? right_->getString(data) : Ref<String>();
    if (text.empty() || !right || right->empty())
        return 0;
    int query = text.lastIndexOf(u'?');
    int end = query >= 0 ? query : text.size();
    int dot = -1;
    for (int i = end - 1; i >= 0; i--) {
        if (text[i] == u'.') {
            dot = i;
            break;
        }
    }
    int start = dot + 1;
    if (start < 1)
        return 0;
    for (int i = start; i < end; i++)
        if (text[i] == u'/' || text[i] == u'\\')
            return 0;
    String extension = text.substr(start, end - start);
    String wanted(*right);
    extension.toLower();
    wanted.toLower();
    return extension == wanted ? 0 : 1;
}

void UnlessNode::render(Value* data, TextWriter& out)
{
    if (evaluate(data) == 0)
        renderTaken(data, out);
    else
        markNotTaken();
}

void ElseIfNode::render(Value* data, TextWriter& out)
{
    if (!done_)
        IfNode::render(data, out);
}

void ElseNode::render(Value* data, TextWriter& out)
{
    if (!done_)
        renderChildren(data, out);
}

} // namespace tessel
