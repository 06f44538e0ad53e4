#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/web/TagNode.h"

namespace tessel {

// <tpl:if name=".." opcode=".." value="..">: renders its children when the
// condition holds. The branches that follow it (elseif, else) are its
// siblings, linked through setNext; `done` tells a branch that an earlier
// one of its chain was taken.
class IfNode : public HttpContext::TagNode {
public:
    enum Opcode {
        NOT_EMPTY = 0,
        EMPTY = 1,
        NOT_EXIST = 2,
        EXIST = 3,
        ODD = 4,
        EVEN = 5,
        EQUAL = 6,
        NOT_EQUAL = 7,
        NUMBER = 9,
        MORE = 10,
        NOT_MORE = 11,
        LESS = 12,
        NOT_LESS = 13,
        FIRST_OF = 14,
        LAST_OF = 15,
        FIRST = 16,
        LATER = 17,
        FILE_OF = 18,
    };

    IfNode() : TagNode(BRANCH) {}

    void render(Value* data, TextWriter& out) override;
    bool isContainer() const override { return true; }
    bool init(Attributes& attributes) override;
    bool setNext(TagNode* next) override;

    // 1 when the condition holds, 0 when it does not, -1 when it cannot be
    // decided (a text that is not a number where one is needed).
    int evaluate(Value* data) const;
    bool isDone() const { return done_; }
    int getOpcode() const { return opcode_; }

    // The opcode of its text, -1 for an unknown one.
    static int opcodeOf(const String& text);

protected:
    // Taken: this branch and every later one of the chain are done. The
    // mark is set again after the children rendered, since they may render
    // this same tree again (an include of the template itself) and leave
    // their own marks on the chain.
    void renderTaken(Value* data, TextWriter& out);
    // Not taken: this branch and the next one are open again.
    void markNotTaken();

    bool done_ = false;

private:
    void markTaken();
    int _compareNumbers(Value* data, const String& text) const;
    int _fileOf(Value* data, const String& text) const;

    int opcode_ = NOT_EMPTY;
    Ref<AnyValue> left_;
    Ref<AnyValue> right_;
    IfNode* next_ = nullptr;
};

// <tpl:unless>: renders its children when the condition is false (and not
// when it cannot be decided).
class UnlessNode : public IfNode {
public:
    void render(Value* data, TextWriter& out) override;
};

// <tpl:elseif>: a further condition, tried when no earlier branch was taken.
class ElseIfNode : public IfNode {
public:
    void render(Value* data, TextWriter& out) override;
};

// <tpl:else>: the last branch; nothing can follow it.
class ElseNode : public IfNode {
public:
    void render(Value* data, TextWriter& out) override;
    bool init(Attributes&) override { return true; }
    bool setNext(TagNode*) override { return false; }
};

} // namespace tessel
