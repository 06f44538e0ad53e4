#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/web/TagNode.h"

namespace tessel {

// <tpl:navigate total=".." size=".." page=".." url=".." smart="..">: fills
// "_navi" in the data with the links of a paged list (first, last, prior,
// next, and a window of `size` page links under "list") and renders its
// children with it. The links come from `url`, or from the request's URI
// with its page parameter replaced.
class NavigateNode : public HttpContext::TagNode {
public:
    NavigateNode() : TagNode(NAVIGATE) {}

    void render(Value* data, TextWriter& out) override;
    bool isContainer() const override { return true; }
    bool init(Attributes& attributes) override;

private:
    // A link with the place where the page number goes.
    struct LinkPattern {
        String head;
        String tail;
        String link(int page) const;
    };

    // Fills "_navi"; false when nothing is to be rendered at all.
    bool _fill(Value* data, Value*& navi);
    int _patternOf(Value* data, LinkPattern& pattern) const;
    int _patternOfUri(const String& uri, bool fromVisitor, LinkPattern& pattern) const;

    Ref<AnyValue> total_;
    int size_ = 10;
    String url_;
    String page_{u"page"};
    bool smart_ = false;
};

} // namespace tessel
