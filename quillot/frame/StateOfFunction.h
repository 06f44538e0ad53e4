#pragma once

#include "tessel/web/HttpFunction.h"

// The template function "stateof": a document state code as the word that
// names it on the pages ("redink", "rubric", "finish", "normal").
class StateOfFunction : public tessel::HttpFunction {
public:
    void evaluate(tessel::Ref<tessel::AnyValue>& out, tessel::Value* data) override;

    // The word of a state code; the list rows of the table classes use the
    // same words.
    static const char16_t* nameOf(int state);
};
