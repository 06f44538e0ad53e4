#include "tessel/core/AnyValue.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "tessel/core/Value.h"
#include "tessel/web/HttpFunction.h"

namespace tessel {

namespace {

constexpr double EPSILON = 0.000001;

bool nearZero(double value)
{
    return value > -EPSILON && value < EPSILON;
}

// Truncated toward zero; values beyond the int range give its nearest end
// and NaN gives 0 (a plain cast of those is undefined).
int truncate(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return INT_MAX;
    if (value <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(value);
}

// Present, not empty, and not exactly "0" or " ".
bool isTrueLike(const String* text)
{
    return text && !text->empty() && *text != u"0" && *text != u" ";
}

} // namespace

AnyValue::AnyValue() : type_(TYPE_STRING)
{
    payload_.text = new String();
    payload_.text->AddRef();
}

AnyValue::AnyValue(int value) : type_(TYPE_INTEGER)
{
    payload_.integer = value;
}

AnyValue::AnyValue(bool value) : type_(TYPE_BOOL)
{
    payload_.boolean = value;
}

AnyValue::AnyValue(double value) : type_(TYPE_DOUBLE)
{
    payload_.number = value;
}

AnyValue::AnyValue(const char16_t* text) : type_(TYPE_STRING)
{
    payload_.text = new String(text);
    payload_.text->AddRef();
}

AnyValue::AnyValue(String* text) : type_(TYPE_STRING)
{
    payload_.text = text;
    if (text)
        text->AddRef();
}

AnyValue::~AnyValue()
{
    releasePayload();
}

void AnyValue::releasePayload()
{
    path_.reset();
    switch (type_) {
    case TYPE_FUNCTION:
        if (payload_.function)
            payload_.function->Release();
        payload_.function = nullptr;
        break;
    case TYPE_OBJECT:
        if (payload_.object)
            payload_.object->Release();
        payload_.object = nullptr;
        break;
    case TYPE_STRING:
    case TYPE_VARIANT:
        if (payload_.text)
            payload_.text->Release();
        payload_.text = nullptr;
        break;
    default: break;
    }
}

void AnyValue::clear()
{
    if (type_ == TYPE_BOOL || type_ == TYPE_INTEGER || type_ == TYPE_DOUBLE) {
        type_ = TYPE_INTEGER;
        payload_.integer = 0;
        return;
    }
    releasePayload();
}

void AnyValue::setVariant()
{
    if (type_ != TYPE_STRING)
        return;
    type_ = TYPE_VARIANT;
    if (payload_.text)
        path_ = std::make_unique<ValuePath>(*payload_.text);
}

AnyValue& AnyValue::operator=(int value)
{
    releasePayload();
    type_ = TYPE_INTEGER;
    payload_.integer = value;
    return *this;
}

AnyValue& AnyValue::operator=(bool value)
{
    releasePayload();
    type_ = TYPE_BOOL;
    payload_.boolean = value;
    return *this;
}

AnyValue& AnyValue::operator=(double value)
{
    releasePayload();
    type_ = TYPE_DOUBLE;
    payload_.number = value;
    return *this;
}

AnyValue& AnyValue::operator=(const char16_t* text)
{
    return assign(text, 0);
}

AnyValue& AnyValue::assign(const char16_t* text, int n)
{
    if (type_ == TYPE_STRING && payload_.text) {
        payload_.text->assign(text, n);
        return *this;
    }
    String* created = new String();
    created->assign(text, n);
    setPointer(TYPE_STRING, created);
    return *this;
}

AnyValue& AnyValue::operator=(String* text)
{
    setPointer(TYPE_STRING, text);
    return *this;
}

AnyValue& AnyValue::operator=(HttpFunction* function)
{
    setPointer(TYPE_FUNCTION, function);
    return *this;
}

AnyValue& AnyValue::operator=(IObject* object)
{
    setPointer(TYPE_OBJECT, object);
    return *this;
}

void AnyValue::setPointer(AnyTYPE type, IObject* object)
{
    // The new pointer gains its reference before the old payload goes, so
    // assigning a value its own object is safe.
    if (object)
        object->AddRef();
    releasePayload();
    type_ = type;
    switch (type) {
    case TYPE_FUNCTION: payload_.function = static_cast<HttpFunction*>(object); break;
    case TYPE_OBJECT: payload_.object = object; break;
    default: payload_.text = dynamic_cast<String*>(object); break;
    }
}

void AnyValue::copyFrom(const AnyValue& other)
{
    if (&other == this)
        return;
    switch (other.type_) {
    case TYPE_FUNCTION: setPointer(TYPE_FUNCTION, other.payload_.function); break;
    case TYPE_OBJECT: setPointer(TYPE_OBJECT, other.payload_.object); break;
    case TYPE_STRING:
    case TYPE_VARIANT:
        setPointer(TYPE_STRING, other.payload_.text);
        type_ = other.type_;
        if (other.path_)
            path_ = std::make_unique<ValuePath>(*other.path_);
        break;
    default:
        releasePayload();
        type_ = other.type_;
        payload_ = other.payload_;
        break;
    }
}

// ------------------------------------------------------------- conversions

Value* AnyValue::findLeaf(Value* context) const
{
    Value* node = lookup(context);
    return node && !node->isMap() ? node : nullptr;
}

Value* AnyValue::lookup(Value* context) const
{
    if (!context || !payload_.text)
        return nullptr;
    // The text is the caller's to change through getText; the split path
    // serves only while it still is the text.
    if (path_ && path_->isPathOf(*payload_.text))
        return context->find(*path_);
    return context->find(*payload_.text);
}

Ref<AnyValue> AnyValue::evaluate(Value* context) const
{
    Ref<AnyValue> result;
    HttpFunction* function = payload_.function;
    if (function && function->isValid())
        function->evaluate(result, context);
    return result;
}

int AnyValue::getInt(Value* context) const
{
    switch (type_) {
    case TYPE_BOOL: return payload_.boolean ? 1 : 0;
    case TYPE_INTEGER: return payload_.integer;
    case TYPE_DOUBLE: return truncate(payload_.number);
    case TYPE_OBJECT: return 0;
    case TYPE_STRING: return payload_.text ? payload_.text->toInteger(0) : 0;
    case TYPE_VARIANT: {
        Value* leaf = findLeaf(context);
        return leaf && leaf->getString() ? leaf->getString()->toInteger(0) : 0;
    }
    case TYPE_FUNCTION: {
        Ref<AnyValue> result = evaluate(context);
        return result ? result->getInt(context) : 0;
    }
    }
    return 0;
}

double AnyValue::getDouble(Value* context) const
{
    switch (type_) {
    case TYPE_BOOL: return payload_.boolean ? 1.0 : 0.0;
    case TYPE_INTEGER: return payload_.integer;
    case TYPE_DOUBLE: return payload_.number;
    case TYPE_OBJECT: return 0.0;
    case TYPE_STRING: return payload_.text ? payload_.text->toDouble(0) : 0.0;
    case TYPE_VARIANT: {
        Value* leaf = findLeaf(context);
        return leaf && leaf->getString() ? leaf->getString()->toDouble(0) : 0.0;
    }
    case TYPE_FUNCTION: {
        Ref<AnyValue> result = evaluate(context);
        return result ? result->getDouble(context) : 0.0;
    }
    }
    return 0.0;
}

bool AnyValue::getBool(Value* context) const
{
    switch (type_) {
    case TYPE_BOOL: return payload_.boolean;
    case TYPE_INTEGER: return payload_.integer == 0; // true for zero, as the template language has it
    case TYPE_DOUBLE: return nearZero(payload_.number);
    case TYPE_OBJECT: return payload_.object != nullptr;
    case TYPE_STRING: return payload_.text && payload_.text->toBool(0);
    case TYPE_VARIANT: {
        Value* leaf = findLeaf(context);
        return leaf && leaf->getString() && leaf->getString()->toBool(0);
    }
    case TYPE_FUNCTION: {
        Ref<AnyValue> result = evaluate(context);
        return result && result->getBool(context);
    }
    }
    return false;
}

Ref<String> AnyValue::getString(Value* context) const
{
    Ref<String> text;
    switch (type_) {
    case TYPE_BOOL: text = new String(payload_.boolean ? u"1" : u"0"); break;
    case TYPE_INTEGER:
        text = new String();
        text->format(u"%d", payload_.integer);
        break;
    case TYPE_DOUBLE:
        text = new String();
        text->format(u"%0.2f", payload_.number);
        break;
    case TYPE_OBJECT:
        if (payload_.object)
            text = new String(u"object");
        break;
    case TYPE_STRING:
        if (payload_.text)
            text = new String(*payload_.text);
        break;
    case TYPE_VARIANT:
        if (Value* leaf = findLeaf(context))
            text = leaf->getString();
        break;
    case TYPE_FUNCTION:
        if (Ref<AnyValue> result = evaluate(context))
            text = result->getString(context);
        break;
    }
    return text;
}

const String* AnyValue::Text::number(const char* digits, int length)
{
    for (int i = 0; i < length; i++)
        units_[i] = static_cast<char16_t>(digits[i]);
    units_[length] = 0;
    if (!number_)
        number_.emplace();
    number_->attach(units_, length);
    return &*number_;
}

const String* AnyValue::read(Value* context, Text& text) const
{
    char digits[sizeof text.units_ / sizeof text.units_[0]];
    switch (type_) {
    case TYPE_BOOL: return text.number(payload_.boolean ? "1" : "0", 1);
    case TYPE_INTEGER: {
        auto [end, error] = std::to_chars(digits, digits + sizeof digits - 1, payload_.integer);
        return text.number(digits, static_cast<int>(end - digits));
    }
    case TYPE_DOUBLE: {
        // As "%0.2f" writes it; printf's own form for what does not fit.
        if (std::isfinite(payload_.number)) {
            auto [end, error] = std::to_chars(digits, digits + sizeof digits - 1, payload_.number,
                                              std::chars_format::fixed, 2);
            if (error == std::errc())
                return text.number(digits, static_cast<int>(end - digits));
        }
        text.formatted_.emplace();
        text.formatted_->format(u"%0.2f", payload_.number);
        return &*text.formatted_;
    }
    case TYPE_OBJECT: return payload_.object ? text.number("object", 6) : nullptr;
    case TYPE_STRING: return payload_.text;
    case TYPE_VARIANT: {
        Value* leaf = findLeaf(context);
        text.leaf_ = leaf ? leaf->getString() : nullptr;
        return text.leaf_.get();
    }
    case TYPE_FUNCTION: {
        Ref<AnyValue> result = evaluate(context);
        if (!result)
            return nullptr;
        if (result->type_ == TYPE_STRING)
            text.result_ = result;
        return result->read(context, text);
    }
    }
    return nullptr;
}

Value* AnyValue::getValue(Value* context) const
{
    if (!context)
        return nullptr;
    if (type_ == TYPE_VARIANT)
        return lookup(context);
    if (type_ == TYPE_FUNCTION) {
        Ref<AnyValue> result = evaluate(context);
        if (!result)
            return nullptr;
        Ref<String> path = result->getString(context);
        return path && !path->empty() ? context->find(*path) : nullptr;
    }
    return nullptr;
}

bool AnyValue::equals(const AnyValue& other, Value* context) const
{
    switch (type_) {
    case TYPE_BOOL: return other.getBool(context) == payload_.boolean;
    case TYPE_INTEGER: return other.getInt(context) == payload_.integer;
    case TYPE_DOUBLE: {
        double difference = other.getDouble(context) - payload_.number;
        return difference < EPSILON && difference > -EPSILON;
    }
    case TYPE_OBJECT: return other.type_ == TYPE_OBJECT && other.payload_.object == payload_.object;
    default: break;
    }
    Ref<String> mine = getString(context);
    if (isTrueLike(mine)) {
        Ref<String> theirs = other.getString(context);
        return theirs ? *mine == *theirs : mine->empty();
    }
    switch (other.type_) {
    case TYPE_BOOL: return !other.payload_.boolean;
    case TYPE_INTEGER: return other.payload_.integer == 0;
    case TYPE_DOUBLE: return nearZero(other.payload_.number);
    default: {
        Ref<String> theirs = other.getString(context);
        return !isTrueLike(theirs);
    }
    }
}

} // namespace tessel
