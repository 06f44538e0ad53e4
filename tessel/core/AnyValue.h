#pragma once

#include <memory>
#include <optional>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/ValuePath.h"

namespace tessel {

class HttpFunction;
class Value;

// The variant of the template language: a boolean, integer, double, text,
// object, template function, or a variable (a path into the data tree that
// is looked up when the value is read). Conversions take the data tree as
// their context.
class AnyValue : public IObject {
public:
    enum AnyTYPE {
        TYPE_BOOL = 0,
        TYPE_INTEGER = 1,
        TYPE_DOUBLE = 2,
        TYPE_FUNCTION = 3,
        TYPE_OBJECT = 4,
        TYPE_STRING = 5,
        TYPE_VARIANT = 6,
    };

    AnyValue();
    AnyValue(int value);
    explicit AnyValue(bool value);
    explicit AnyValue(double value);
    AnyValue(const char16_t* text);
    AnyValue(String* text);
    ~AnyValue() override;

    AnyTYPE getType() const { return type_; }
    IObject* getObject() const { return type_ == TYPE_OBJECT ? payload_.object : nullptr; }
    // The text of a text or variable value, null otherwise.
    String* getText() const { return isText() ? payload_.text : nullptr; }
    HttpFunction* getFunction() const { return type_ == TYPE_FUNCTION ? payload_.function : nullptr; }
    void clear();
    // A text becomes a variable: its text is then a path into the data
    // tree, split here once for all lookups.
    void setVariant();

    AnyValue& operator=(int value);
    AnyValue& operator=(bool value);
    AnyValue& operator=(double value);
    AnyValue& operator=(const char16_t* text);
    AnyValue& assign(const char16_t* text, int n);
    AnyValue& operator=(String* text);
    AnyValue& operator=(HttpFunction* function);
    AnyValue& operator=(IObject* object);
    // Copies another value; pointer payloads gain a reference.
    void copyFrom(const AnyValue& other);

    int getInt(Value* context) const;
    double getDouble(Value* context) const;
    bool getBool(Value* context) const;
    Ref<String> getString(Value* context) const;
    // The text getString gives, read where it is held instead of copied:
    // a text in the value, a variable in its leaf, a number formatted into
    // `text`. Null where getString gives null. The result stays valid while
    // `text` lives and is not read into again.
    class Text;
    const String* read(Value* context, Text& text) const;
    Value* getValue(Value* context) const;
    bool equals(const AnyValue& other, Value* context) const;

private:
    AnyValue(const AnyValue&) = delete;
    AnyValue& operator=(const AnyValue&) = delete;

    bool isText() const { return type_ == TYPE_STRING || type_ == TYPE_VARIANT; }
    void releasePayload();
    void setPointer(AnyTYPE type, IObject* object);
    // The node that a variable names, or null.
    Value* lookup(Value* context) const;
    // The leaf that a variable names, or null.
    Value* findLeaf(Value* context) const;
    // The result of a function value, or null.
    Ref<AnyValue> evaluate(Value* context) const;

    AnyTYPE type_;
    union {
        bool boolean;
        int integer;
        double number;
        HttpFunction* function;
        IObject* object;
        String* text;
    } payload_;
    std::unique_ptr<ValuePath> path_; // a variable's text, split
};

// The holder of a text that AnyValue::read gives: the digits of a number,
// the leaf or function result that holds the text.
class AnyValue::Text {
public:
    Text() = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

private:
    friend class AnyValue;

    // The units, which `units_` has room for, as the text read.
    const String* number(const char* digits, int length);

    char16_t units_[40];
    std::optional<String> number_;
    std::optional<String> formatted_; // a number too long for the units
    Ref<String> leaf_;
    Ref<AnyValue> result_;
};

} // namespace tessel
