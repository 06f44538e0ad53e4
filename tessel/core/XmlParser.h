#pragma once

#include <map>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

class TextReader;

// A small, forgiving pull parser over a whole document held in memory. It
// hands out tag names one at a time; the caller reads or skips each tag's
// attributes and asks for the text between tags. Smart mode makes it safe
// on HTML: script and style bodies are skipped whole and CDATA is stepped
// over.
class XmlParser : public IObject {
public:
    enum NAMECASE { CASE_KEEP = 0, CASE_UPPER = 1, CASE_LOWER = 2 };

    explicit XmlParser(NAMECASE nameCase = CASE_KEEP);

    void setSmart(bool smart) { smart_ = smart; }
    bool isSmart() const { return smart_; }
    void setXml(const char16_t* text, int length = 0, bool attach = false);
    void loadXml(TextReader& reader);

    bool nextTag(String& name);
    void initAttrs();
    void skipAttrs();
    String getAttr(const String& name) const;
    int getInt(const String& name) const;
    bool getBool(const String& name) const;
    const std::map<String, String>& getAttrs() const { return attrs_; }
    String nextText();
    bool seekTo(int pos, bool relative = false);
    int getPosition() const { return position_; }

    // False for an empty text; a leading digit is true when it is 1 to 9;
    // otherwise "true", "yes" and "on" in any letter case are true.
    static bool toBool(const String& text);

private:
    void _restart();
    int _findTagStart(int from) const;
    bool _nextRawEnd(String& name);
    String _nextValue(bool isName);
    void _applyCase(String& name) const;
    void _skipBlanks();
    void _closeIfSelfClosing();
    bool _at(int pos, const char16_t* text) const;
    char16_t _charAt(int pos) const { return pos >= 0 && pos < document_.size() ? document_[pos] : 0; }

    NAMECASE nameCase_;
    int position_ = 0;
    int tagStart_ = 0;
    int tagEnd_ = 0;
    bool smart_ = false;
    String document_;
    // In smart mode, after a script or style start tag: the closing tag
    // that ends the raw body, in lower case ("/script>") and as the start
    // tag was written ("/SCRIPT>").
    String rawEnd_;
    String rawEndWritten_;
    // The name of the last start tag, or "/name" once that tag turned out
    // to close itself.
    String lastTag_;
    bool selfClosing_ = false;
    std::map<String, String> attrs_;
};

} // namespace tessel
