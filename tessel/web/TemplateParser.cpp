#include "tessel/web/TemplateParser.h"

#include "tessel/core/Character.h"
#include "tessel/web/IfNode.h"
#include "tessel/web/LoopNode.h"
#include "tessel/web/NavigateNode.h"
#include "tessel/web/TagScanner.h"
#include "tessel/web/VarNode.h"

namespace tessel {

namespace {

const char16_t* const PREFIX = u"tpl:";
const int PREFIX_LENGTH = 4;

bool endsReference(char16_t c)
{
    return c <= 32 || c == u':' || c == u';' || c == u'(' || c == u')';
}

} // namespace

bool TemplateParser::parse(const String& text, TagNode** out)
{
    if (!out)
        return false;
    if (text.empty()) {
        Ref<TagNode> empty = new TextNode(String());
        *out = empty.detach();
        return true;
    }
    text_ = text;
    root_ = new BlockNode();
    root_->setContext(&context_);
    current_ = root_;
    depth_ = 0;
    literalStart_ = 0;
    int size = text_.size();
    int pos = 0;
    while (pos < size) {
        char16_t c = text_[pos];
        if (c == u'<') {
            Step step = _tag(pos);
            if (step == FAILED)
                return false;
            if (step == LITERAL)
                pos++;
        } else if (c == u'{') {
            int end = _braceEnd(pos);
            if (end < 0) {
                pos++;
                continue;
            }
            _literal(pos);
            Attributes attributes;
            attributes[String(u"name")] = text_.substr(pos + 1, end - pos - 1);
            _add(new VarNode(), attributes);
            pos = literalStart_ = end + 1;
        } else {
            pos++;
        }
    }
    _literal(size);
    current_ = nullptr;
    *out = root_.detach();
    return true;
}

void TemplateParser::_literal(int end)
{
    if (end > literalStart_)
        current_->add(new TextNode(text_.substr(literalStart_, end - literalStart_)));
    literalStart_ = end;
}

int TemplateParser::_braceEnd(int pos) const
{
    bool single = false;
    bool double_ = false;
    for (int i = pos + 1; i < text_.size(); i++) {
        char16_t c = text_[i];
        if (c == u'\'')
            single = !single;
        else if (c == u'"')
            double_ = !double_;
        else if (single || double_)
            continue;
        else if (c == u'}')
            return i > pos + 1 ? i : -1;
        else if (endsReference(c))
            return -1;
    }
    return -1;
}

TemplateParser::Step TemplateParser::_tag(int& pos)
{
    int size = text_.size();
    bool closing = text_.getAt(pos + 1) == u'/';
    int start = pos + (closing ? 2 : 1);
    if (start + 3 >= size || text_[start + 3] != u':')
        return LITERAL;
    // Any three-letter prefix comes out in lower case.
    for (int i = start; i < start + 3; i++)
        text_[i] = Character::toLower(text_[i]);
    if (!text_.startsWith(PREFIX, start))
        return LITERAL;

    int nameEnd = start;
    while (nameEnd < size && !TagScanner::endsName(text_[nameEnd]))
        nameEnd++;
    if (nameEnd >= size)
        return LITERAL;
    int end = nameEnd;
    if (text_[end] == u'>' && text_[end - 1] == u'/')
        end--;
    String name = text_.substr(start + PREFIX_LENGTH, end - start - PREFIX_LENGTH);

    Attributes attributes;
    int after;
    if (closing) {
        int gt = text_.indexOf(u'>', nameEnd);
        if (gt < 0)
            return LITERAL;
        after = gt + 1;
    } else if (text_[nameEnd] == u'>') {
        after = nameEnd + 1;
    } else {
        after = TagScanner::readAttributes(text_, nameEnd, attributes);
        if (after < 0)
            return LITERAL;
    }

    _literal(pos);
    bool taken = closing ? _close(name) : _open(name, attributes);
    if (!taken)
        return FAILED;
    pos = literalStart_ = after;
    return DONE;
}

bool TemplateParser::_open(const String& name, Attributes& attributes)
{
    bool closed = attributes.count(String(TagScanner::CLOSED)) > 0;
    if (name == u"if" || name == u"unless" || name == u"loop") {
        if (closed)
            return false;
        if (name == u"if")
            _add(new IfNode(), attributes);
        else if (name == u"unless")
            _add(new UnlessNode(), attributes);
        else
            _add(new LoopNode(), attributes);
    } else if (name == u"navigate") {
        if (!closed)
            _add(new NavigateNode(), attributes);
    } else if (name == u"var") {
        _add(new VarNode(), attributes);
    } else if (name == u"include") {
        _add(new IncludeNode(), attributes);
    } else if (name == u"else") {
        return _branch(new ElseNode(), attributes);
    } else if (name == u"elseif") {
        return _branch(new ElseIfNode(), attributes);
    }
    return depth_ <= MAX_NESTING;
}

// A further branch of the open if family: it follows the open branch as its
// sibling and becomes the open container itself.
bool TemplateParser::_branch(TagNode* created, Attributes& attributes)
{
    Ref<TagNode> branch = created;
    TagNode* previous = current_;
    if (previous->getKind() != TagNode::BRANCH || !previous->setNext(branch))
        return false;
    current_ = previous->getParent();
    depth_--;
    branch->setContext(&context_);
    if (!branch->init(attributes)) {
        previous->setNext(nullptr);
        return true;
    }
    current_->add(branch);
    current_ = branch;
    depth_++;
    return true;
}

void TemplateParser::_add(TagNode* created, Attributes& attributes)
{
    Ref<TagNode> node = created;
    node->setContext(&context_);
    if (!node->init(attributes))
        return;
    current_->add(node);
    if (node->isContainer()) {
        current_ = node;
        depth_++;
    }
}

bool TemplateParser::_close(const String& name)
{
    int kind;
    if (name == u"if" || name == u"unless")
        kind = TagNode::BRANCH;
    else if (name == u"loop")
        kind = TagNode::LOOP;
    else if (name == u"navigate")
        kind = TagNode::NAVIGATE;
    else
        return true;
    if (current_->getKind() != kind)
        return false;
    current_ = current_->getParent();
    depth_--;
    return true;
}

} // namespace tessel
