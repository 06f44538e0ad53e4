#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// Template functions over texts. Each gives no value for an empty text.

// "left": the first P2 characters of the text, the whole text for a count
// below 1 or not below its length.
class LeftFunction : public BuiltinFunction {
public:
    LeftFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "right": the last P2 characters of the text; nothing of it for a count
// below 1, the whole text for a count not below its length.
class RightFunction : public BuiltinFunction {
public:
    RightFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "substr": from position P2, P3 characters (to the end when P3 < 1).
class SubstrFunction : public BuiltinFunction {
public:
    SubstrFunction() : BuiltinFunction(V2z) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "trimwidth": a text of P2 characters or more is cut so that it ends
// with P3 ("...") within P2 characters.
class TrimWidthFunction : public BuiltinFunction {
public:
    TrimWidthFunction() : BuiltinFunction(V2d) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "uppercase".
class UpperCaseFunction : public BuiltinFunction {
public:
    UpperCaseFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "lowercase".
class LowerCaseFunction : public BuiltinFunction {
public:
    LowerCaseFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "htmlencode": markup characters and quotes as entities.
class HtmlEncodeFunction : public BuiltinFunction {
public:
    HtmlEncodeFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "urlencode": letters, digits, "-", "." and "_" stay, a space becomes
// "+", every other character its UTF-8 bytes as %XX.
class UrlEncodeFunction : public BuiltinFunction {
public:
    UrlEncodeFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "attrof": the attribute P2="P1", the value HTML-encoded; nothing when
// either is empty.
class AttrOfFunction : public BuiltinFunction {
public:
    AttrOfFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

} // namespace tessel
