// The data tree: dotted paths and the intermediate maps every path
// operation creates, leaves and their conversions, key order, and the
// lifecycle of nodes (parent links of removed, replaced, merged-over and
// orphaned children; one Release destroying a map with children).

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace tessel;
using testing_support::joined;
using testing_support::units;

namespace {

Ref<Value> newTree()
{
    return Ref<Value>(new Value());
}

std::u16string keysOf(const Value& node)
{
    Array<String> keys;
    node.getKeys(keys);
    return joined(keys);
}

} // namespace

TEST(ValuePaths, EveryPathOperationCreatesIntermediateMaps)
{
    Ref<Value> root = newTree();
    root->insert(u"a.b.c", u"x");
    EXPECT_EQ(root->find(u"a.b.z"), nullptr);
    EXPECT_EQ(root->find(u"a")->size(), 1) << "a and a.b stay as they were";

    EXPECT_EQ(root->find(u"q.r"), nullptr);
    ASSERT_NE(root->find(u"q"), nullptr);

    EXPECT_FALSE(root->exists(u"e.f"));
    EXPECT_TRUE(root->exists(u"e"));
    EXPECT_EQ(root->getAt(u"g.h.i"), u"");
    EXPECT_TRUE(root->exists(u"g.h"));
    EXPECT_EQ(root->getInt(u"n1.x"), 0);
    EXPECT_DOUBLE_EQ(root->getDouble(u"n2.x"), 0.0);
    EXPECT_FALSE(root->getBool(u"n3.x"));
    root->remove(u"r.s.t");
    EXPECT_TRUE(root->exists(u"r.s"));
    root->insert(u"m1.m2");
    EXPECT_TRUE(root->exists(u"m1.m2"));
    EXPECT_EQ(keysOf(*root), u"a|e|g|m1|n1|n2|n3|q|r");
}

TEST(ValuePaths, WholeKeysEmptyPathsAndLeavesOnTheWay)
{
    Ref<Value> root = newTree();
    Value* dotted = root->insert(u".a.b"); // an empty first segment
    EXPECT_EQ(dotted, nullptr);
    Value* whole = root->insert(u".hidden", u"v");
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(keysOf(*root), u".hidden") << "a path starting with a dot is one key";

    EXPECT_EQ(root->find(u""), nullptr);
    EXPECT_EQ(root->insert(u"", u"x"), nullptr);
    root->remove(u"");

    root->insert(u"leaf", u"text");
    EXPECT_EQ(root->find(u"leaf.x"), nullptr);
    EXPECT_EQ(root->insert(u"leaf.x", u"y"), nullptr);
    EXPECT_EQ(root->getAt(u"leaf"), u"text");
    EXPECT_EQ(root->getAt(u"leaf.PARENT.leaf"), u"text") << "PARENT from a leaf on the way";
}

TEST(ValueKeys, CodeUnitOrderNotInsertionOrder)
{
    Ref<Value> root = newTree();
    for (const char16_t* key : {u"a9", u"中", u"a", u"B", u"a10", u"_", u"A"})
        root->insert(key, key);
    EXPECT_EQ(keysOf(*root), u"A|B|_|a|a10|a9|中");

    String key;
    root->getIndex(0, key);
    EXPECT_EQ(key, u"A");
    EXPECT_EQ(root->getIndex(7, key), nullptr);
    EXPECT_EQ(root->getIndex(-1, key), nullptr);

    // Walking by index sees insertions and removals made in between.
    EXPECT_NE(root->getIndex(3, key), nullptr);
    root->insert(u"0");
    root->getIndex(1, key);
    EXPECT_EQ(key, u"A");
    root->remove(u"A");
    root->getIndex(1, key);
    EXPECT_EQ(key, u"B");
    root->getIndex(6, key);
    EXPECT_EQ(key, u"中");

    Array<String> keys;
    keys.add(new String(u"kept"));
    EXPECT_EQ(root->getKeys(keys), 7);
    EXPECT_EQ(keys.size(), 8) << "keys are appended";
}

TEST(ValueLeaves, NumbersBooleansAndEmptiness)
{
    Ref<Value> root = newTree();
    root->insert(u"yes", true);
    root->insert(u"no", false);
    root->insert(u"int", -42);
    root->insert(u"long", static_cast<int64_t>(5000000000));
    EXPECT_EQ(root->getAt(u"yes"), u"true");
    EXPECT_EQ(root->getAt(u"int"), u"-42");
    EXPECT_EQ(root->getInt(u"int"), -42);

    root->insert(u"v", 2.5, String(u"%0.4f"), true);
    EXPECT_EQ(root->getAt(u"v"), u"2.5");
    root->insert(u"v", 2.5, String(u"%0.4f"), false);
    EXPECT_EQ(root->getAt(u"v"), u"2.5000");
    root->insert(u"v", -1234.5, String(u"%0.2f"), true);
    EXPECT_EQ(root->getAt(u"v"), u"-1234.5");
    root->insert(u"v", 100.0, String(u"%0.0f"), true);
    EXPECT_EQ(root->getAt(u"v"), u"100") << "whole numbers keep their zeros";

    for (const char16_t* text : {u"1", u"9x", u"true", u"YES", u"On"}) {
        root->insert(u"b", text);
        EXPECT_TRUE(root->getBool(u"b")) << String(text).toStdString();
    }
    for (const char16_t* text : {u"", u"0", u"05", u"false", u"no", u"off", u"x", u" 1"}) {
        root->insert(u"b", text);
        EXPECT_FALSE(root->getBool(u"b")) << String(text).toStdString();
    }

    for (const char16_t* text : {u"", u"0", u" "}) {
        root->insert(u"e", text);
        EXPECT_TRUE(root->find(u"e")->empty()) << String(text).toStdString();
    }
    for (const char16_t* text : {u"00", u"  ", u"x"}) {
        root->insert(u"e", text);
        EXPECT_FALSE(root->find(u"e")->empty()) << String(text).toStdString();
    }
}

TEST(ValueLifecycle, OneReleaseDestroysAMapWithChildren)
{
    Value* root = new Value();
    root->AddRef();
    root->insert(u"a", u"1");
    root->insert(u"b.c", u"2");
    EXPECT_EQ(root->refCount(), 3u) << "one outside reference and one per child";
    EXPECT_EQ(root->Release(), 0u); // the whole tree goes; the sanitizer run checks it

    Value* held = new Value();
    held->AddRef();
    held->AddRef();
    held->insert(u"x", u"1");
    EXPECT_EQ(held->Release(), 2u) << "a second outside reference keeps the map";
    EXPECT_EQ(held->Release(), 0u);
}

TEST(ValueLifecycle, AChildOutlivingItsParentHasNoParentLink)
{
    Ref<Value> child;
    Ref<Value> grandchild;
    {
        Ref<Value> root = newTree();
        root->insert(u"x", u"root x");
        child = root->insert(u"child");
        child->insert(u"y", u"child y");
        grandchild = root->insert(u"other.grand");
        EXPECT_EQ(child->find(u"PARENT.x"), root->find(u"x"));
    }
    EXPECT_EQ(child->getParent(), nullptr);
    EXPECT_EQ(child->find(u"PARENT.x"), nullptr);
    EXPECT_EQ(child->find(u"TOP.y"), child->find(u"y")) << "the child is a root now";
    EXPECT_EQ(child->getAt(u"y"), u"child y");
    EXPECT_EQ(child->refCount(), 2u);
    EXPECT_EQ(grandchild->getParent(), nullptr) << "its own parent went with the tree";
    EXPECT_EQ(grandchild->refCount(), 1u);
}

TEST(ValueLifecycle, RemovedAndReplacedChildrenLoseTheirParentLink)
{
    Ref<Value> root = newTree();
    root->insert(u"x", u"root x");
    Ref<Value> removed = root->insert(u"gone.deep");
    Ref<Value> gone = root->find(u"gone");
    root->remove(u"gone");
    EXPECT_EQ(gone->getParent(), nullptr);
    EXPECT_EQ(gone->find(u"PARENT.x"), nullptr);
    EXPECT_EQ(removed->getParent(), gone.get()) << "the removed subtree stays whole";
    EXPECT_EQ(root->refCount(), 2u);

    Ref<Value> map = root->insert(u"m");
    map->insert(u"inner", u"i");
    root->insert(u"m", u"now a leaf");
    EXPECT_EQ(map->getParent(), nullptr);
    EXPECT_EQ(map->find(u"PARENT.x"), nullptr);
    EXPECT_EQ(map->getAt(u"inner"), u"i");

    Ref<Value> merged = root->insert(u"k.old");
    Ref<Value> k = root->find(u"k");
    Ref<Value> source = newTree();
    source->insert(u"k", u"replacement");
    root->mergeWith(source);
    EXPECT_EQ(k->getParent(), nullptr);
    EXPECT_EQ(k->find(u"PARENT.x"), nullptr);
    EXPECT_EQ(root->getAt(u"k"), u"replacement");

    Ref<Value> cleared = root->find(u"x");
    root->clear();
    EXPECT_EQ(cleared->getParent(), nullptr);
    EXPECT_EQ(root->refCount(), 1u);
    EXPECT_EQ(*cleared->getString(), u"root x");
}

TEST(ValueLentLeaf, LentToOneMapAfterAnotherAndTakenBackWhole)
{
    Ref<Value> root = newTree();
    root->insert(u"a.x", u"1");
    root->insert(u"b.x", u"2");
    root->insert(u"c.row", u"own");
    root->insert(u"leaf", u"text");
    Value* a = root->find(u"a");
    Value* b = root->find(u"b");
    {
        Value::LentLeaf row(String(u"row"));
        EXPECT_TRUE(row.lendTo(a, u"first", 5));
        EXPECT_EQ(a->getAt(u"row"), u"first");
        EXPECT_EQ(keysOf(*a), u"row|x");
        EXPECT_EQ(a->find(u"row")->getParent(), a);
        EXPECT_EQ(a->refCount(), 4u) << "held by the tree, its two children and the lender";

        EXPECT_TRUE(row.lendTo(b, u"", 0)) << "lending again takes it back from the first map";
        EXPECT_FALSE(a->exists(u"row"));
        EXPECT_EQ(a->refCount(), 2u);
        EXPECT_TRUE(b->exists(u"row"));
        EXPECT_EQ(b->getAt(u"row"), u"");

        EXPECT_FALSE(row.lendTo(root->find(u"c"), u"other", 5)) << "a key the map holds stays";
        EXPECT_EQ(root->getAt(u"c.row"), u"own");
        EXPECT_FALSE(b->exists(u"row"));
        EXPECT_FALSE(row.lendTo(root->find(u"leaf"), u"x", 1));
        EXPECT_FALSE(row.lendTo(nullptr, u"x", 1));

        // Whatever took the leaf's place under the key goes as well; a leaf
        // somebody holds is left to them.
        EXPECT_TRUE(row.lendTo(a, u"second", 6));
        a->insert(u"row", u"changed");
        Ref<Value> held = a->find(u"row");
        row.takeBack();
        EXPECT_FALSE(a->exists(u"row"));
        EXPECT_EQ(held->getParent(), nullptr);
        EXPECT_EQ(*held->getString(), u"changed");
        EXPECT_TRUE(row.lendTo(a, u"third", 5));
        EXPECT_EQ(a->getAt(u"row"), u"third");
        EXPECT_EQ(*held->getString(), u"changed") << "the held leaf is not lent again";
        a->remove(u"row");
        row.takeBack();
        EXPECT_TRUE(row.lendTo(b, u"fourth", 6));
    }
    EXPECT_FALSE(b->exists(u"row")) << "taken back when the lender goes";
    EXPECT_EQ(keysOf(*b), u"x");
    EXPECT_EQ(b->refCount(), 2u);
}

namespace {

// Keys and texts of a whole tree, for comparing two trees.
std::u16string dump(Value& node)
{
    std::u16string out;
    String key;
    for (int i = 0; i < node.size(); i++) {
        Value* child = node.getIndex(i, key);
        out += units(key);
        if (child->isMap())
            out += u"{" + dump(*child) + u"}";
        else
            out += u"=" + (child->getString() ? units(*child->getString()) : u"") + u";";
    }
    return out;
}

Ref<Value> pathTree()
{
    Ref<Value> root = newTree();
    root->insert(u"a.b.c", u"abc");
    root->insert(u"a.x", u"ax");
    root->insert(u"FORM.cmd", u"save");
    root->insert(u"leaf", u"text");
    root->insert(u".hidden", u"h");
    root->insert(u"a.", u"empty key");
    return root;
}

} // namespace

TEST(ValuePaths, SplitPathsFindWhatTheirTextFinds)
{
    const char16_t* const paths[] = {
        u"a",
        u"a.x",
        u"a.b.c",
        u"a.b.z",
        u"new.deep.key",
        u"a..x",
        u"..",
        u".",
        u"a.",
        u".hidden",
        u".a.b",
        u"leaf.x",
        u"leaf.PARENT.a.x",
        u"a.b.TOP.leaf",
        u"a.PARENT.PARENT.x",
        u"a.SELF.x",
        u"SELF.SELF.leaf",
        u"a.b.FORM.cmd",
        u"a.GET.page",
        u"a.b.SERVER.x.y",
        u"TOP",
        u"a.b.TOP",
        u"PARENT.x",
        u"a.b.c.d",
        u"a.b.PARENT.x",
        u"POST",
        u"a.POST.x",
        u"",
    };
    for (const char16_t* path : paths) {
        Ref<Value> byText = pathTree();
        Ref<Value> bySegments = pathTree();
        // From an inner node too, where TOP and PARENT lead elsewhere.
        for (const char16_t* from : {u"", u"a.b"}) {
            Value* textStart = *from ? byText->find(from) : byText.get();
            Value* splitStart = *from ? bySegments->find(from) : bySegments.get();
            ValuePath split(path);
            EXPECT_TRUE(split.isPathOf(path));
            Value* expected = textStart->find(path);
            Value* found = splitStart->find(split);
            ASSERT_EQ(expected == nullptr, found == nullptr)
                << String(path).toStdString() << " from " << String(from).toStdString();
            if (expected) {
                EXPECT_EQ(dump(*expected), dump(*found)) << String(path).toStdString();
                EXPECT_EQ(expected->isMap(), found->isMap());
            }
            EXPECT_EQ(dump(*byText), dump(*bySegments)) << "the same maps created for " << String(path).toStdString();
        }
    }
    EXPECT_FALSE(ValuePath(u"a.b").isPathOf(u"a.c"));
}
