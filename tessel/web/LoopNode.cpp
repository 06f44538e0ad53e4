#include "tessel/web/LoopNode.h"

#include "tessel/core/Value.h"

namespace tessel {

namespace {

const char16_t* const NAME = u"NAME";

// What a map row held under a key before the loop put its own entry there,
// put back when the row is done: an absent key is removed again, a text is
// assigned back in place, and a map, which the loop's text replaced, is
// copied back.
class SavedEntry {
public:
    SavedEntry(Value* row, const String& key) : row_(row), key_(key)
    {
        node_ = row->find(key);
        if (node_ && !node_->isMap() && node_->getString())
            text_ = *node_->getString();
    }

    void restore()
    {
        if (!node_) {
            row_->remove(key_);
        } else if (!node_->isMap()) {
            row_->insert(key_, text_);
        } else {
            row_->remove(key_);
            if (Value* copy = row_->insert(key_))
                copy->mergeWith(node_);
        }
    }

private:
    Value* row_;
    String key_;
    Ref<Value> node_;
    String text_;
};

} // namespace

bool LoopNode::init(Attributes& attributes)
{
    const String* name = attribute(attributes, u"name");
    if (!name || name->empty())
        return false;
    source_ = expression(*name, true);
    if (const String* size = attribute(attributes, u"size"))
        size_ = size->toInteger();
    if (const String* base = attribute(attributes, u"base"))
        base_ = base->toInteger();
    if (const String* rowid = attribute(attributes, u"rowid"))
        rowid_ = *rowid;
    return !source_.empty();
}

void LoopNode::render(Value* data, TextWriter& out)
{
    Ref<Value> source = source_->getValue(data);
    if (!source)
        return;
    int number = base_;
    int remaining = size_;
    String name;
    for (int i = 0;; i++) {
        Ref<Value> row = source->getIndex(i, name);
        if (!row)
            break;
        if (row->isMap()) {
            _renderMapRow(row, name, number, out);
        } else {
            // A leaf that carries the row number's or the name's key is
            // what an enclosing loop put there, not a row.
            if (name == rowid_ || name == NAME)
                continue;
            _renderLeafRow(row, name, number, out);
        }
        number++;
        if (--remaining == 0)
            break;
    }
}

void LoopNode::_renderMapRow(Value* row, const String& name, int number, TextWriter& out)
{
    SavedEntry savedName(row, String(NAME));
    row->insert(NAME, name);
    SavedEntry savedNumber(row, rowid_);
    row->insert(rowid_, number);
    renderChildren(row, out);
    savedNumber.restore();
    savedName.restore();
}

void LoopNode::_renderLeafRow(Value* row, const String& name, int number, TextWriter& out)
{
    Ref<Value> scope = new Value();
    scope->insert(NAME, name);
    String* text = row->getString();
    scope->insert(u"VALUE", text ? *text : String());
    scope->insert(rowid_, number);
    renderChildren(scope, out);
}

} // namespace tessel
