#include "tessel/web/LoopNode.h"

#include <optional>

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

// The decimal text of a number, as "%d" writes it, into `digits`; returns
// its length.
int decimal(int number, char16_t (&digits)[12])
{
    unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
    char16_t reversed[10];
    int count = 0;
    do {
        reversed[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    int length = 0;
    if (number < 0)
        digits[length++] = u'-';
    while (count > 0)
        digits[length++] = reversed[--count];
    digits[length] = 0;
    return length;
}

// A key that the loop can lend its leaf under: one plain name.
bool isPlainKey(const String& key)
{
    return !key.empty() && key.indexOf(u'.') < 0;
}

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
    RowLeaves leaves{Value::LentLeaf(String(NAME)), Value::LentLeaf(rowid_), isPlainKey(rowid_)};
    for (int i = 0;; i++) {
        Ref<Value> row = source->getIndex(i, name);
        if (!row)
            break;
        if (row->isMap()) {
            _renderMapRow(row, name, number, leaves, out);
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

// Where the row does not hold the key yet, the loop's own leaf is lent to
// it; otherwise what the row holds is saved and put back.
void LoopNode::_renderMapRow(Value* row, const String& name, int number, RowLeaves& leaves, TextWriter& out)
{
    std::optional<SavedEntry> savedName;
    bool lentName = leaves.name.lendTo(row, name.c_str(), name.size());
    if (!lentName) {
        savedName.emplace(row, String(NAME));
        row->insert(NAME, name);
    }
    char16_t digits[12];
    int length = decimal(number, digits);
    std::optional<SavedEntry> savedNumber;
    bool lentNumber = leaves.numberIsPlain && leaves.number.lendTo(row, digits, length);
    if (!lentNumber) {
        savedNumber.emplace(row, rowid_);
        row->insert(rowid_, String(digits, length));
    }
    renderChildren(row, out);
    if (lentNumber)
        leaves.number.takeBack();
    else
        savedNumber->restore();
    if (lentName)
        leaves.name.takeBack();
    else
        savedName->restore();
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
