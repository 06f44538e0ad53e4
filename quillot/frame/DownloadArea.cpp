#include "quillot/frame/DownloadArea.h"

#include <random>

#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/PageAction.h"
#include "tessel/core/System.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

using tessel::Ref;
using tessel::String;
using tessel::System;
using tessel::Value;

namespace {

const char16_t* const AREA_ATTRIBUTE = u"quillot.downloads";
constexpr int FOLDER_BYTES = 16;

String randomName()
{
    static constexpr char16_t DIGITS[] = u"0123456789abcdef";
    std::random_device source;
    String name;
    for (int i = 0; i < FOLDER_BYTES; i++) {
        unsigned byte = source() & 0xff;
        name += DIGITS[byte >> 4];
        name += DIGITS[byte & 15];
    }
    return name;
}

bool isKept(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' ||
           (c >= 0x4e00 && c <= 0x9fff); // the common Chinese characters are letters too
}

} // namespace

DownloadArea::DownloadArea(const String& root, const String& folder) : root_(root), folder_(folder) {}

DownloadArea::~DownloadArea()
{
    System::getInstance().removeDirectory(root_ + u"/" + folder_, true);
}

DownloadArea* DownloadArea::of(PageAction& page)
{
    tessel::HttpSession& session = page.getRequest().getSession();
    if (auto* area = dynamic_cast<DownloadArea*>(session.getAttribute(AREA_ATTRIBUTE)))
        return area;
    String root = CompanyDatabase::areaOf(page.db(), u"download");
    if (root.empty())
        return nullptr;
    Ref<DownloadArea> area = new DownloadArea(root, randomName());
    Ref<Value> folder = new Value(area->folder_);
    session.setAttribute(AREA_ATTRIBUTE, area);
    session.setAttribute(FOLDER_ATTRIBUTE, folder);
    return area;
}

String DownloadArea::fileName(const String& stem, const char16_t* extension)
{
    String name;
    for (int i = 0; i < stem.size(); i++)
        name += isKept(stem[i]) ? stem[i] : u'_';
    if (name.empty())
        name = u"file";
    return name + extension;
}

String DownloadArea::pathOf(const String& name)
{
    String folder = root_ + u"/" + folder_;
    if (!System::getInstance().createDirectory(folder, true))
        return String();
    return folder + u"/" + name;
}

String DownloadArea::addressOf(const String& name) const
{
    return String(u"download/") + folder_ + u"/" + name;
}
