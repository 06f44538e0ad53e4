#pragma once

#include <map>

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpContext.h"

namespace tessel {

class TextWriter;
class Value;

// One node of a parsed template. Containers hold their children in
// document order and render them with the data they are given; the other
// nodes write text, values or other templates. Nodes are created by the
// template parser, which sets the context before init hands them the
// tag's attributes.
class HttpContext::TagNode : public IObject {
public:
    enum Kind { BLOCK = 0, TEXT = 1, VAR = 2, INCLUDE = 3, BRANCH = 5, LOOP = 6, NAVIGATE = 7 };
    using Attributes = std::map<String, String>;

    explicit TagNode(int kind) : kind_(kind) {}

    // Writes this node's output; the base renders the children in order.
    virtual void render(Value* data, TextWriter& out);
    // Whether the node takes children (and becomes the open container).
    virtual bool isContainer() const { return false; }
    // Takes the tag's attributes; false rejects the node.
    virtual bool init(Attributes&) { return true; }
    // Links the next branch of an if family; false where there can be none.
    virtual bool setNext(TagNode*) { return false; }

    int getKind() const { return kind_; }
    TagNode* getParent() const { return parent_; }
    HttpContext* getContext() const { return context_; }
    void setContext(HttpContext* context) { context_ = context; }
    int size() const { return children_.size(); }
    TagNode* getChild(int index) const { return children_.get(index); }
    // Appends a child to a block or a container; false for other nodes.
    bool add(TagNode* child);

protected:
    ~TagNode() override = default;

    void renderChildren(Value* data, TextWriter& out);
    // The attribute, or null when the tag does not carry it.
    static const String* attribute(const Attributes& attributes, const char16_t* name);
    // The expression of an attribute; null when parsing fails.
    Ref<AnyValue> expression(const String& text, bool simple) const;

    int kind_;
    Array<TagNode> children_;
    TagNode* parent_ = nullptr;
    HttpContext* context_ = nullptr;
};

// The root of every parsed template.
class BlockNode : public HttpContext::TagNode {
public:
    BlockNode() : TagNode(BLOCK) {}
    bool isContainer() const override { return true; }
};

// Literal text between the active parts of a template.
class TextNode : public HttpContext::TagNode {
public:
    explicit TextNode(const String& text) : TagNode(TEXT), text_(text) {}
    void render(Value* data, TextWriter& out) override;
    const String& getText() const { return text_; }

private:
    String text_;
};

} // namespace tessel
