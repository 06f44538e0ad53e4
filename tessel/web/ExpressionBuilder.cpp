#include "tessel/web/ExpressionBuilder.h"

#include "tessel/web/BuiltinFunctions.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpFunction.h"

namespace tessel {

namespace {

bool isOperator(char16_t c)
{
    return c == u'+' || c == u'-' || c == u'*' || c == u'%' || c == u'&' || c == u'|' || c == u',' || c == u';';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

AnyValue* handOver(Ref<AnyValue>& value)
{
    return value.detach();
}

} // namespace

bool ExpressionBuilder::isNumber(const String& text)
{
    int start = text.getAt(0) == u'+' || text.getAt(0) == u'-' ? 1 : 0;
    if (start >= text.size() || text[start] == u'.')
        return false;
    bool dot = false;
    for (int i = start; i < text.size(); i++) {
        if (text[i] == u'.' && !dot)
            dot = true;
        else if (!isDigit(text[i]))
            return false;
    }
    return true;
}

AnyValue* ExpressionBuilder::build(const String& text, bool simple)
{
    if (AnyValue* constant = _constant(text))
        return constant;
    if (simple)
        return _simple(text);
    return _expression(text);
}

AnyValue* ExpressionBuilder::_constant(const String& text)
{
    Ref<AnyValue> value;
    if (text.empty())
        value = new AnyValue();
    else if (isNumber(text))
        value = text.indexOf(u'.') < 0 ? new AnyValue(text.toInteger()) : new AnyValue(text.toDouble());
    else if (text == u"true")
        value = new AnyValue(true);
    else if (text == u"false")
        value = new AnyValue(false);
    return handOver(value);
}

AnyValue* ExpressionBuilder::_simple(const String& text)
{
    if (AnyValue* constant = _constant(text))
        return constant;
    Ref<AnyValue> value = new AnyValue();
    char16_t quote = text[0];
    if (quote == u'"' || quote == u'\'') {
        int end = text.size() > 1 && text[text.size() - 1] == quote ? text.size() - 1 : text.size();
        *value = new String(text.substr(1, end - 1));
        return handOver(value);
    }
    *value = new String(text);
    if (text.indexOf(u'/') < 0)
        value->setVariant();
    return handOver(value);
}

AnyValue* ExpressionBuilder::_expression(const String& text)
{
    result_ = new AnyValue();
    function_.reset();
    depth_ = 0;
    char16_t pending = 0;
    Quote quote = NONE;
    bool escaped = false;
    String token;
    int size = text.size();
    for (int i = 0; i <= size; i++) {
        char16_t c = i < size ? text[i] : u';';
        if (c == u'"' || c == u'\'') {
            token.append(c);
            Quote own = c == u'"' ? DOUBLE : SINGLE;
            if (escaped)
                escaped = false;
            else if (quote == NONE)
                quote = own;
            else if (quote == own)
                quote = NONE;
            continue;
        }
        if (c == u'\\') {
            token.append(c);
            escaped = !escaped;
            continue;
        }
        // An escape covers the one character after the backslash.
        escaped = false;
        if (quote != NONE || !isOperator(c)) {
            token.append(c);
            continue;
        }
        _endToken(pending, token);
        pending = c == u',' ? 0 : c;
        token.clear();
    }
    function_.reset();
    return result_.detach();
}

void ExpressionBuilder::_endToken(char16_t pending, const String& token)
{
    if (pending != 0 && pending != u';' && ++depth_ > MAX_DEPTH)
        return;
    switch (pending) {
    case 0: {
        Ref<AnyValue> value;
        value.adopt(_simple(token));
        if (function_)
            function_->addParam(value);
        else
            result_ = value;
        return;
    }
    case u'|': {
        String name(token);
        name.toLower();
        Ref<HttpFunction> function;
        if (context_._createFunc(name, function.out()) && function) {
            function->addParam(result_);
        } else {
            function = BuiltinFunctions::createUnknown(name);
        }
        result_ = new AnyValue();
        *result_ = function.get();
        function_ = function;
        return;
    }
    case u';': return;
    default: {
        Ref<HttpFunction> op = BuiltinFunctions::createOperator(pending);
        Ref<AnyValue> right;
        right.adopt(_simple(token));
        Ref<AnyValue> left = result_;
        result_ = new AnyValue();
        if (op) {
            op->addParam(left);
            op->addParam(right);
            *result_ = op.get();
        }
        return;
    }
    }
}

} // namespace tessel
