#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/web/TagNode.h"

namespace tessel {

// Parses template text into a tree of nodes. Two things are active in the
// text: tags with the prefix "tpl:" and variable references in braces;
// everything else is literal. A brace reference must hold no blank, ":",
// ";", "(" or ")" outside quotes, so style rules and scripts pass as they
// are.
class TemplateParser {
public:
    // Containers may nest this deep; a deeper template is refused rather
    // than rendered through an unbounded recursion.
    static constexpr int MAX_NESTING = 128;

    explicit TemplateParser(HttpContext& context) : context_(context) {}

    // The tree of `text`, with one reference for the caller; false (and
    // nothing stored) for a template that does not parse.
    bool parse(const String& text, HttpContext::TagNode** out);

private:
    using TagNode = HttpContext::TagNode;
    using Attributes = TagNode::Attributes;
    enum Step { LITERAL, DONE, FAILED };

    // A tag at `pos` ("<"): LITERAL when it is not an active one, DONE
    // when it was taken (pos then points after it), FAILED on an error.
    Step _tag(int& pos);
    // The position of the "}" that ends a brace reference at `pos`, or -1.
    int _braceEnd(int pos) const;
    void _literal(int end);
    bool _open(const String& name, Attributes& attributes);
    bool _branch(TagNode* branch, Attributes& attributes);
    bool _close(const String& name);
    void _add(TagNode* node, Attributes& attributes);

    HttpContext& context_;
    String text_;
    int literalStart_ = 0;
    Ref<TagNode> root_;
    TagNode* current_ = nullptr;
    int depth_ = 0;
};

} // namespace tessel
