#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

class ValuePath;

// The data tree that page actions fill and templates read: map nodes whose
// children are ordered by key (UTF-16 code-unit order), and leaves holding
// one text. Paths are dotted ("FORM.cmd", "a.b.c"); in the segments before
// the last, "TOP" climbs to the root, "PARENT" to the parent, "SELF" stays,
// and "FORM", "GET", "POST" and "SERVER" are always taken from the root.
// Every path operation creates the intermediate maps it walks through.
//
// Each child holds one reference to its parent, so a map's count is at least
// its number of children; Release therefore destroys a map as soon as only
// its children and the caller hold it. A child that leaves its map (removed,
// replaced, or outliving its parent) loses its parent link.
class Value : public IObject {
public:
    Value();
    explicit Value(const String& text);
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() override;

    unsigned AddRef() override;
    unsigned Release() override;

    bool isMap() const { return isMap_; }
    Value* getParent() const { return parent_; }
    String* getString() const { return isMap_ ? nullptr : text_.get(); }
    int size() const { return isMap_ ? static_cast<int>(children_.size()) : 0; }
    bool empty() const;

    Value* find(const String& path);
    // The same lookup along a path split beforehand.
    Value* find(const ValuePath& path);
    bool exists(const String& path);
    String getAt(const String& path);
    int getInt(const String& path);
    double getDouble(const String& path);
    bool getBool(const String& path);
    String valueAt(const String& text) const;
    Value* getIndex(int index, String& key) const;
    bool getPairOf(int index, String& key, String& text) const;
    int getKeys(Array<String>& out) const;
    int getValues(Array<Value>& out) const;

    Value* insert(const String& path);
    Value* insert(const String& path, const char16_t* text);
    Value* insert(const String& path, const String& text);
    Value* insert(const String& path, bool value);
    Value* insert(const String& path, int value);
    Value* insert(const String& path, int64_t value);
    Value* insert(const String& path, double value, const String& format, bool trimZeros);
    void remove(const String& path);
    void clear();
    void mergeWith(Value* other, const char16_t* prefix = nullptr);
    void filter(void (*fn)(String&));

    // A leaf that is lent to one map after another under the same key.
    class LentLeaf;

private:
    struct KeyLess {
        using is_transparent = void;
        static std::u16string_view view(const String& s) { return {s.c_str(), static_cast<size_t>(s.size())}; }
        bool operator()(const String& a, const String& b) const { return view(a) < view(b); }
        bool operator()(const String& a, std::u16string_view b) const { return view(a) < b; }
        bool operator()(std::u16string_view a, const String& b) const { return a < view(b); }
    };
    using Children = std::map<String, Ref<Value>, KeyLess>;

    Value* offset(const String& path, int& pos);
    Value* root();
    Value* child(std::u16string_view key) const;
    Value* enterOrCreate(std::u16string_view key);
    Value* setLeaf(const String& path, const char16_t* text, int length);
    void link(Value* child);
    void unlink(Value* child);
    void detachAll();
    void erase(Children::iterator at);
    void touch() { cachedIndex_ = -1; }
    Value* copyOf() const;

    Value* parent_ = nullptr; // counted: the parent holds one reference per child
    bool isMap_ = true;
    Children children_;
    Ref<String> text_;
    // Walking the children by index (loops do) stays linear with this cache.
    mutable int cachedIndex_ = -1;
    mutable Children::const_iterator cachedAt_;
};

// A loop puts a leaf into each of its rows for the time the row renders
// (the row's name, its number) and takes it out again. Lending keeps one
// entry, key and text buffer for all rows, so that a row costs no
// allocation for it. The key is a plain name: no ".", not empty.
class Value::LentLeaf {
public:
    explicit LentLeaf(const String& key) : key_(key) {}
    LentLeaf(const LentLeaf&) = delete;
    LentLeaf& operator=(const LentLeaf&) = delete;
    ~LentLeaf() { takeBack(); }

    // Puts the leaf holding the text under the key of `map`, as
    // insert(key, text) would. False, and nothing done, when the map holds
    // the key already or is no map; taken back before lending again.
    bool lendTo(Value* map, const char16_t* text, int length);
    // Takes the key out of the map it was lent to, as remove(key) would:
    // the leaf when it is still there, else what took its place.
    void takeBack();

private:
    String key_;
    Children::node_type entry_;
    Ref<Value> map_;
    Value* leaf_ = nullptr; // the leaf last lent, to know it again
};

} // namespace tessel
