#pragma once

#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// The data paths a template reads, found in its text the way the template
// parser finds its active parts: brace references and the attributes of
// "tpl:" tags, with their expressions split at the operators. Paths inside
// a loop are those of its rows: the loop's path, the row key "#", then the
// path. Inside a navigation the data is the navigation's own, so only the
// request sections are taken there. Templates included by a literal name
// ("templates/soon") are read through `read` and taken as part of the
// including one.
class TemplatePaths {
public:
    // A condition that compares a path with a literal ("1", "0"): what the
    // path must hold for the condition's branch to be taken.
    struct Condition {
        std::string path;
        std::string opcode;
        std::string value;
    };
    using Reader = std::function<std::string(const std::string& name)>;

    explicit TemplatePaths(Reader read) : read_(std::move(read)) {}

    void scan(const std::string& text) { _scan(text, {}, 0); }

    // Every path whose node the template reads.
    const std::set<std::string>& paths() const { return paths_; }
    const std::vector<Condition>& conditions() const { return conditions_; }
    // Attributes whose value is a brace reference without quotes around it.
    const std::vector<std::string>& unquoted() const { return unquoted_; }

private:
    using Segments = std::vector<std::string>;
    enum class Frame { Block, Loop, Navigate };
    struct Scope {
        Frame frame;
        Segments base;
        std::string rowid;
    };

    static constexpr int MAX_INCLUDES = 8;

    void _scan(const std::string& text, std::vector<Scope> scopes, int depth)
    {
        if (scopes.empty())
            scopes.push_back({Frame::Block, {}, ""});
        for (size_t at = 0; at < text.size();) {
            if (text[at] == '<') {
                at = _tag(text, at, scopes, depth);
            } else if (text[at] == '{') {
                size_t end = _braceEnd(text, at);
                if (end == std::string::npos) {
                    at++;
                    continue;
                }
                _expression(text.substr(at + 1, end - at - 1), scopes.back());
                _checkQuoted(text, at);
                at = end + 1;
            } else {
                at++;
            }
        }
    }

    // The "}" that closes a brace reference at `open`, or npos when the
    // brace is ordinary text (style rules, scripts).
    static size_t _braceEnd(const std::string& text, size_t open)
    {
        bool single = false, twice = false;
        for (size_t i = open + 1; i < text.size(); i++) {
            char c = text[i];
            if (c == '\'')
                single = !single;
            else if (c == '"')
                twice = !twice;
            else if (!single && !twice) {
                if (c == '}')
                    return i > open + 1 ? i : std::string::npos;
                if (static_cast<unsigned char>(c) <= 0x20 || c == ':' || c == ';' || c == '(' || c == ')')
                    return std::string::npos;
            }
        }
        return std::string::npos;
    }

    // An attribute value that is a bare brace reference: ` name={...}`
    // (not a query string's "?name={...}" inside a quoted value).
    void _checkQuoted(const std::string& text, size_t open)
    {
        if (open < 2 || text[open - 1] != '=')
            return;
        size_t start = open - 1;
        while (start > 0 && (std::isalnum(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '-' ||
                             text[start - 1] == '_' || text[start - 1] == ':'))
            start--;
        if (start > 0 && start < open - 1 && static_cast<unsigned char>(text[start - 1]) <= 0x20)
            unquoted_.push_back(text.substr(start, text.find('}', open) - start + 1));
    }

    size_t _tag(const std::string& text, size_t at, std::vector<Scope>& scopes, int depth)
    {
        bool closing = text.compare(at, 2, "</") == 0;
        size_t prefix = at + (closing ? 2 : 1);
        if (prefix + 4 > text.size() || text[prefix + 3] != ':')
            return at + 1;
        std::string word = text.substr(prefix, 3);
        for (char& c : word)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (word != "tpl")
            return at + 1;
        size_t nameStart = prefix + 4, nameEnd = nameStart;
        while (nameEnd < text.size() && static_cast<unsigned char>(text[nameEnd]) > 0x20 && text[nameEnd] != '>')
            nameEnd++;
        std::string name = text.substr(nameStart, nameEnd - nameStart);
        if (!name.empty() && name.back() == '/')
            name.pop_back();
        std::map<std::string, std::string> attributes;
        size_t end = _attributes(text, nameEnd, attributes);
        if (closing) {
            if ((name == "loop" || name == "navigate" || name == "if" || name == "unless") && scopes.size() > 1)
                scopes.pop_back();
            return end;
        }
        Scope& scope = scopes.back();
        if (name == "var" && attributes.count("name")) {
            _expression(attributes["name"], scope);
        } else if (name == "if" || name == "unless" || name == "elseif") {
            _condition(attributes, scope);
            if (name != "elseif")
                scopes.push_back({Frame::Block, scope.base, scope.rowid});
        } else if (name == "loop" && attributes.count("name")) {
            Segments base = _resolve(scope, attributes["name"]);
            if (!base.empty()) {
                _add(base);
                base.push_back("#");
            }
            std::string rowid = attributes.count("rowid") ? attributes["rowid"] : "ROWID";
            scopes.push_back({base.empty() ? Frame::Navigate : Frame::Loop, base, rowid});
        } else if (name == "navigate") {
            if (attributes.count("total"))
                _simple(attributes["total"], scope);
            scopes.push_back({Frame::Navigate, {}, ""});
        } else if (name == "include" && !attributes.count("block") && attributes.count("name")) {
            const std::string& included = attributes["name"];
            if (included.find('/') != std::string::npos && depth < MAX_INCLUDES)
                _scan(read_(included), scopes, depth + 1);
        }
        return end;
    }

    // Reads the attributes after a tag name up to the tag's ">"; gives the
    // position after it.
    static size_t _attributes(const std::string& text, size_t at, std::map<std::string, std::string>& out)
    {
        while (at < text.size() && text[at] != '>') {
            if (static_cast<unsigned char>(text[at]) <= 0x20 || text[at] == '/') {
                at++;
                continue;
            }
            size_t nameEnd = at;
            while (nameEnd < text.size() && text[nameEnd] != '=' && text[nameEnd] != '>' &&
                   static_cast<unsigned char>(text[nameEnd]) > 0x20 && text[nameEnd] != '/')
                nameEnd++;
            std::string name = text.substr(at, nameEnd - at);
            at = nameEnd;
            std::string value;
            if (at < text.size() && text[at] == '=') {
                at++;
                char quote = at < text.size() && (text[at] == '"' || text[at] == '\'') ? text[at] : 0;
                size_t start = quote ? at + 1 : at;
                size_t stop = quote ? text.find(quote, start) : text.find_first_of(" \t\r\n>", start);
                if (stop == std::string::npos)
                    stop = text.size();
                value = text.substr(start, stop - start);
                at = quote && stop < text.size() ? stop + 1 : stop;
            }
            out[name] = value;
        }
        return at < text.size() ? at + 1 : at;
    }

    void _condition(std::map<std::string, std::string>& attributes, const Scope& scope)
    {
        std::string name = attributes.count("name") ? attributes["name"] : scope.rowid;
        Segments path = _resolve(scope, name);
        std::string opcode = attributes.count("opcode") ? attributes["opcode"] : "";
        for (char& c : opcode)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string value = attributes.count("value") ? attributes["value"] : "";
        if (attributes.count("value"))
            _expression(value, scope);
        if (path.empty())
            return;
        _add(path);
        if (_isQuoted(value))
            value = value.substr(1, value.size() - 2);
        else if (!value.empty() && !_isNumber(value))
            return;
        conditions_.push_back({_join(path), opcode, value});
    }

    // An expression: tokens between the operator characters, outside
    // quotes. The token after "|" names a function; after ";" one is
    // dropped.
    void _expression(const std::string& text, const Scope& scope)
    {
        std::string token;
        char pending = 0;
        bool single = false, twice = false, escaped = false;
        auto take = [&](char op) {
            if (pending != '|' && pending != ';')
                _simple(token, scope);
            pending = op == ',' ? 0 : op;
            token.clear();
        };
        for (char c : text) {
            bool quote = c == '"' || c == '\'';
            if (quote || c == '\\') {
                token += c;
                if (c == '\\')
                    escaped = !escaped;
                else if (escaped)
                    escaped = false;
                else if (c == '"' && !single)
                    twice = !twice;
                else if (c == '\'' && !twice)
                    single = !single;
            } else if (single || twice || std::string("+-*%&|,;").find(c) == std::string::npos) {
                token += c;
            } else {
                take(c);
            }
        }
        take(';');
    }

    // A token in simple mode: a path unless it is a quoted text, a number,
    // a boolean or a file path.
    void _simple(const std::string& token, const Scope& scope)
    {
        if (token.empty() || _isQuoted(token) || token[0] == '"' || token[0] == '\'' || _isNumber(token) ||
            token == "true" || token == "false" || token.find('/') != std::string::npos)
            return;
        Segments path = _resolve(scope, token);
        if (!path.empty())
            _add(path);
    }

    // The path from the root that `path` names in `scope`; empty for what
    // the renderer itself provides (row names and numbers, the layout's
    // block, a navigation's own data).
    static Segments _resolve(const Scope& scope, const std::string& path)
    {
        Segments parts;
        for (size_t start = 0;;) {
            size_t dot = path.find('.', start);
            parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
            if (dot == std::string::npos)
                break;
            start = dot + 1;
        }
        static const std::set<std::string> SECTIONS = {"FORM", "GET", "POST", "SERVER"};
        Segments resolved = scope.base;
        bool absolute = false;
        for (size_t i = 0; i < parts.size(); i++) {
            const std::string& part = parts[i];
            if (part.empty())
                return {};
            bool last = i + 1 == parts.size();
            if (!last && i == 0 && SECTIONS.count(part)) {
                resolved = {part};
                absolute = true;
            } else if (!last && part == "TOP") {
                resolved.clear();
                absolute = true;
            } else if (!last && part == "PARENT") {
                if (resolved.empty())
                    return {};
                resolved.pop_back();
            } else if (!last && part == "SELF") {
                continue;
            } else {
                resolved.push_back(part);
            }
        }
        if (scope.frame == Frame::Navigate && !absolute)
            return {};
        const std::string& key = resolved.back();
        if (scope.frame == Frame::Loop && resolved.size() == scope.base.size() + 1 &&
            (key == scope.rowid || key == "NAME" || key == "VALUE"))
            return {};
        return key == "." ? Segments() : resolved;
    }

    void _add(const Segments& path) { paths_.insert(_join(path)); }

    static std::string _join(const Segments& path)
    {
        std::string joined;
        for (const std::string& part : path)
            joined += (joined.empty() ? "" : ".") + part;
        return joined;
    }
    static bool _isQuoted(const std::string& text)
    {
        return text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0];
    }
    static bool _isNumber(const std::string& text)
    {
        size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0;
        if (i >= text.size() || text[i] == '.')
            return false;
        int points = 0;
        for (; i < text.size(); i++) {
            if (text[i] == '.')
                points++;
            else if (!std::isdigit(static_cast<unsigned char>(text[i])))
                return false;
        }
        return points <= 1;
    }

    Reader read_;
    std::set<std::string> paths_;
    std::vector<Condition> conditions_;
    std::vector<std::string> unquoted_;
};
