#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/core/Value.h"
#include "tessel/web/TagNode.h"

namespace tessel {

// <tpl:loop name=".." size=".." base=".." rowid="..">: renders its children
// once for each child of a data node. A map row is its own scope and gets
// "NAME" (its key) and the row number for the time of its rendering; a leaf
// row is seen as a small scope of "NAME", "VALUE" and the row number.
class LoopNode : public HttpContext::TagNode {
public:
    LoopNode() : TagNode(LOOP) {}

    void render(Value* data, TextWriter& out) override;
    bool isContainer() const override { return true; }
    bool init(Attributes& attributes) override;

private:
    // The leaves one render of the loop lends to its map rows.
    struct RowLeaves {
        Value::LentLeaf name;
        Value::LentLeaf number;
        bool numberIsPlain; // whether the row number's key can be lent
    };

    void _renderMapRow(Value* row, const String& name, int number, RowLeaves& leaves, TextWriter& out);
    void _renderLeafRow(Value* row, const String& name, int number, TextWriter& out);

    Ref<AnyValue> source_;
    int base_ = 1;
    int size_ = 0;
    String rowid_{u"ROWID"};
};

} // namespace tessel
