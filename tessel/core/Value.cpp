#include "tessel/core/Value.h"

#include <vector>

#include "tessel/core/ValuePath.h"
#include "tessel/core/XmlParser.h"

namespace tessel {

namespace {

constexpr unsigned RELEASING = 0x7FFFFFFF;

std::u16string_view segment(const String& path, int start, int end)
{
    return {path.c_str() + start, static_cast<size_t>(end - start)};
}

bool isSection(std::u16string_view name)
{
    return name == u"FORM" || name == u"GET" || name == u"POST" || name == u"SERVER";
}

} // namespace

Value::Value() = default;

Value::Value(const String& text) : isMap_(false), text_(new String(text)) {}

Value::~Value()
{
    detachAll();
}

unsigned Value::AddRef()
{
    return ++refCount_;
}

unsigned Value::Release()
{
    if (refCount_ == 0)
        return 0;
    unsigned children = static_cast<unsigned>(size());
    if (refCount_ <= children + 1) {
        // Only the children's parent links and the caller hold this node.
        refCount_ = RELEASING;
        detachAll();
        refCount_ = 0;
        delete this;
        return 0;
    }
    return --refCount_;
}

bool Value::empty() const
{
    if (isMap_)
        return children_.empty();
    const String* text = text_.get();
    return !text || text->empty() || *text == u"0" || *text == u" ";
}

// ------------------------------------------------------------ tree structure

void Value::link(Value* child)
{
    child->parent_ = this;
    ++refCount_;
}

void Value::unlink(Value* child)
{
    // Dropping a parent link never destroys the parent: whoever holds the
    // parent from outside still does, and its own Release decides.
    if (child->parent_ == this) {
        child->parent_ = nullptr;
        --refCount_;
    }
}

void Value::erase(Children::iterator at)
{
    Ref<Value> child = at->second; // keeps the child alive until unlinked
    children_.erase(at);
    touch();
    unlink(child);
}

void Value::detachAll()
{
    if (!isMap_)
        return;
    Children children;
    children.swap(children_);
    touch();
    for (auto& entry : children)
        unlink(entry.second);
}

Value* Value::root()
{
    Value* node = this;
    while (node->parent_)
        node = node->parent_;
    return node;
}

Value* Value::child(std::u16string_view key) const
{
    auto found = children_.find(key);
    return found == children_.end() ? nullptr : found->second.get();
}

Value* Value::enterOrCreate(std::u16string_view key)
{
    if (!isMap_)
        return nullptr;
    if (Value* existing = child(key))
        return existing;
    Value* created = new Value();
    link(created);
    children_.emplace(String(key.data(), static_cast<int>(key.size())), created);
    touch();
    return created;
}

Value* Value::offset(const String& path, int& pos)
{
    if (!isMap_ || path.empty())
        return nullptr;
    int last = path.lastIndexOf(u'.');
    if (last <= 0) {
        pos = 0;
        return this;
    }
    Value* node = this;
    int start = 0;
    while (start <= last) {
        int end = path.indexOf(u'.', start);
        std::u16string_view name = segment(path, start, end);
        start = end + 1;
        if (name.empty())
            return nullptr;
        if (name == u"TOP") {
            node = node->root();
        } else if (name == u"PARENT") {
            node = node->parent_;
            if (!node)
                return nullptr;
        } else if (name == u"SELF") {
            // stays
        } else {
            if (isSection(name))
                node = node->root();
            node = node->enterOrCreate(name);
            if (!node)
                return nullptr;
        }
    }
    pos = last + 1;
    return node;
}

// ----------------------------------------------------------------- reading

Value* Value::find(const String& path)
{
    int pos = 0;
    Value* holder = offset(path, pos);
    if (!holder || !holder->isMap_)
        return nullptr;
    return holder->child(segment(path, pos, path.size()));
}

Value* Value::find(const ValuePath& path)
{
    if (!isMap_ || path.text_.empty())
        return nullptr;
    const char16_t* text = path.text_.c_str();
    Value* node = this;
    for (const ValuePath::Segment& segment : path.segments_) {
        switch (segment.kind) {
        case ValuePath::EMPTY: return nullptr;
        case ValuePath::TOP: node = node->root(); break;
        case ValuePath::PARENT:
            node = node->parent_;
            if (!node)
                return nullptr;
            break;
        case ValuePath::SELF: break;
        case ValuePath::SECTION:
        case ValuePath::NAME:
            if (segment.kind == ValuePath::SECTION)
                node = node->root();
            node = node->enterOrCreate({text + segment.start, static_cast<size_t>(segment.length)});
            if (!node)
                return nullptr;
            break;
        }
    }
    if (!node->isMap_)
        return nullptr;
    return node->child({text + path.keyStart_, static_cast<size_t>(path.text_.size() - path.keyStart_)});
}

bool Value::exists(const String& path)
{
    return isMap_ && !path.empty() && find(path) != nullptr;
}

String Value::getAt(const String& path)
{
    Value* node = find(path);
    if (!node || node->isMap_ || !node->text_)
        return String();
    return String(*node->text_);
}

int Value::getInt(const String& path)
{
    Value* node = find(path);
    return node && !node->isMap_ && node->text_ ? node->text_->toInteger(0) : 0;
}

double Value::getDouble(const String& path)
{
    Value* node = find(path);
    return node && !node->isMap_ && node->text_ ? node->text_->toDouble(0) : 0;
}

bool Value::getBool(const String& path)
{
    Value* node = find(path);
    return node && !node->isMap_ && node->text_ ? XmlParser::toBool(*node->text_) : false;
}

String Value::valueAt(const String& text) const
{
    if (!isMap_)
        return String();
    for (const auto& entry : children_) {
        const Value* node = entry.second.get();
        if (!node->isMap_ && node->text_ && *node->text_ == text)
            return entry.first;
        if (!node->isMap_ && !node->text_ && text.empty())
            return entry.first;
    }
    return String();
}

Value* Value::getIndex(int index, String& key) const
{
    if (!isMap_ || index < 0 || index >= size())
        return nullptr;
    if (cachedIndex_ < 0 || index < cachedIndex_) {
        cachedAt_ = children_.begin();
        cachedIndex_ = 0;
    }
    while (cachedIndex_ < index) {
        ++cachedAt_;
        ++cachedIndex_;
    }
    key = cachedAt_->first;
    return cachedAt_->second.get();
}

bool Value::getPairOf(int index, String& key, String& text) const
{
    Value* node = getIndex(index, key);
    if (!node)
        return false;
    if (node->isMap_ || !node->text_)
        text.clear();
    else
        text = *node->text_;
    return true;
}

int Value::getKeys(Array<String>& out) const
{
    if (!isMap_)
        return -1;
    for (const auto& entry : children_)
        out.add(new String(entry.first));
    return size();
}

int Value::getValues(Array<Value>& out) const
{
    if (!isMap_)
        return -1;
    for (const auto& entry : children_)
        out.add(entry.second.get());
    return size();
}

// ----------------------------------------------------------------- writing

Value* Value::insert(const String& path)
{
    int pos = 0;
    Value* holder = offset(path, pos);
    if (!holder)
        return nullptr;
    return holder->enterOrCreate(segment(path, pos, path.size()));
}

Value* Value::setLeaf(const String& path, const char16_t* text, int length)
{
    int pos = 0;
    Value* holder = offset(path, pos);
    if (!holder || !holder->isMap_)
        return nullptr;
    std::u16string_view key = segment(path, pos, path.size());
    auto found = holder->children_.find(key);
    if (found != holder->children_.end() && !found->second->isMap_) {
        Value* leaf = found->second.get();
        if (!leaf->text_)
            leaf->text_ = new String();
        if (text)
            leaf->text_->assign(text, length);
        else
            leaf->text_->clear();
        return leaf;
    }
    Value* leaf = new Value(String());
    if (text && length > 0)
        leaf->text_->assign(text, length);
    holder->link(leaf);
    if (found != holder->children_.end()) {
        // A map child is replaced by the leaf and loses its parent link.
        Ref<Value> old = found->second;
        found->second = leaf;
        holder->touch();
        holder->unlink(old);
    } else {
        holder->children_.emplace(String(key.data(), static_cast<int>(key.size())), leaf);
        holder->touch();
    }
    return leaf;
}

Value* Value::insert(const String& path, const char16_t* text)
{
    return setLeaf(path, text, text ? tessel::length(text) : 0);
}

Value* Value::insert(const String& path, const String& text)
{
    return setLeaf(path, text.c_str(), text.size());
}

Value* Value::insert(const String& path, bool value)
{
    return insert(path, value ? u"true" : u"false");
}

Value* Value::insert(const String& path, int value)
{
    String text;
    text.format(u"%d", value);
    return insert(path, text);
}

Value* Value::insert(const String& path, int64_t value)
{
    String text;
    text.format(u"%lld", static_cast<long long>(value));
    return insert(path, text);
}

Value* Value::insert(const String& path, double value, const String& format, bool trimZeros)
{
    String text;
    text.format(format.c_str(), value);
    // Only a fraction may lose its zeros: "100" written by "%0.0f" stays.
    if (trimZeros && text.indexOf(u'.') >= 0) {
        text.rightTrim(u"0");
        text.rightTrim(u".");
    }
    return insert(path, text);
}

void Value::remove(const String& path)
{
    int pos = 0;
    Value* holder = offset(path, pos);
    if (!holder || !holder->isMap_)
        return;
    auto found = holder->children_.find(segment(path, pos, path.size()));
    if (found != holder->children_.end())
        holder->erase(found);
}

void Value::clear()
{
    if (isMap_)
        detachAll();
    else if (text_)
        text_->clear();
}

Value* Value::copyOf() const
{
    if (!isMap_)
        return new Value(text_ ? *text_ : String());
    Value* copy = new Value();
    copy->mergeWith(const_cast<Value*>(this), nullptr);
    return copy;
}

void Value::mergeWith(Value* other, const char16_t* prefix)
{
    if (!other || !isMap_ || !other->isMap_)
        return;
    // Copy first, so that merging a node into itself or into its own
    // subtree sees the children as they were.
    std::vector<std::pair<String, Ref<Value>>> copies;
    copies.reserve(other->children_.size());
    for (const auto& entry : other->children_) {
        String key(prefix ? prefix : u"");
        key.append(entry.first);
        copies.emplace_back(std::move(key), entry.second->copyOf());
    }
    for (auto& [key, copy] : copies) {
        link(copy);
        auto found = children_.find(KeyLess::view(key));
        if (found != children_.end()) {
            Ref<Value> old = found->second;
            found->second = copy;
            unlink(old);
        } else {
            children_.emplace(key, copy);
        }
    }
    touch();
}

// ---------------------------------------------------------- lent leaves

bool Value::LentLeaf::lendTo(Value* map, const char16_t* text, int length)
{
    takeBack();
    if (!map || !map->isMap_ || map->children_.find(KeyLess::view(key_)) != map->children_.end())
        return false;
    if (entry_.empty()) {
        Children maker;
        maker.emplace(key_, new Value(String()));
        entry_ = maker.extract(maker.begin());
    }
    Value* leaf = entry_.mapped().get();
    if (length > 0)
        leaf->text_->assign(text, length);
    else
        leaf->text_->clear();
    map->children_.insert(std::move(entry_));
    map->link(leaf);
    map->touch();
    map_ = map;
    leaf_ = leaf;
    return true;
}

void Value::LentLeaf::takeBack()
{
    if (!map_)
        return;
    Ref<Value> map = std::move(map_);
    auto found = map->children_.find(KeyLess::view(key_));
    if (found == map->children_.end())
        return;
    Value* leaf = found->second.get();
    // A leaf that somebody else holds now (or whose text somebody holds)
    // is left to them, as a removed one would be, and a new one is lent
    // next time.
    bool reusable = leaf == leaf_ && leaf->refCount() == 1 && leaf->text_ && leaf->text_->refCount() == 1;
    if (!reusable) {
        map->erase(found);
        return;
    }
    entry_ = map->children_.extract(found);
    map->touch();
    map->unlink(leaf);
}

void Value::filter(void (*fn)(String&))
{
    if (!fn)
        return;
    if (!isMap_) {
        if (!text_)
            text_ = new String();
        fn(*text_);
        return;
    }
    for (auto& entry : children_)
        entry.second->filter(fn);
}

} // namespace tessel
