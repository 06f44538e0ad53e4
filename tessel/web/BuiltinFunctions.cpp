#include "tessel/web/BuiltinFunctions.h"

#include "tessel/core/String.h"
#include "tessel/web/BranchFunctions.h"
#include "tessel/web/DateFunctions.h"
#include "tessel/web/NumberFunctions.h"
#include "tessel/web/OperatorFunctions.h"
#include "tessel/web/TextFunctions.h"
#include "tessel/web/UnknownFunction.h"

namespace tessel {

namespace {

template <class Function>
HttpFunction* make()
{
    return new Function();
}

struct Entry {
    const char16_t* name;
    HttpFunction* (*create)();
};

constexpr Entry FUNCTIONS[] = {
    {u"attrof", make<AttrOfFunction>},
    {u"bytesize", make<ByteSizeFunction>},
    {u"ceil", make<CeilFunction>},
    {u"date2int", make<Date2IntFunction>},
    {u"dateof", make<DateOfFunction>},
    {u"emptyif", make<EmptyIfFunction>},
    {u"equalif", make<EqualIfFunction>},
    {u"evenif", make<EvenIfFunction>},
    {u"first", make<FirstFunction>},
    {u"firstof", make<FirstOfFunction>},
    {u"format", make<FormatFunction>},
    {u"hexof", make<HexOfFunction>},
    {u"htmlencode", make<HtmlEncodeFunction>},
    {u"iif", make<IifFunction>},
    {u"incof", make<IncOfFunction>},
    {u"int2date", make<Int2DateFunction>},
    {u"intval", make<IntValFunction>},
    {u"lastof", make<LastOfFunction>},
    {u"later", make<LaterFunction>},
    {u"laterof", make<LaterOfFunction>},
    {u"left", make<LeftFunction>},
    {u"lessif", make<LessIfFunction>},
    {u"longdate", make<LongDateFunction>},
    {u"lowercase", make<LowerCaseFunction>},
    {u"moreif", make<MoreIfFunction>},
    {u"numberif", make<NumberIfFunction>},
    {u"oddif", make<OddIfFunction>},
    {u"right", make<RightFunction>},
    {u"rmbof", make<RmbOfFunction>},
    {u"round", make<RoundFunction>},
    {u"shortdate", make<ShortDateFunction>},
    {u"smartdate", make<SmartDateFunction>},
    {u"substr", make<SubstrFunction>},
    {u"timeof", make<TimeOfFunction>},
    {u"trimwidth", make<TrimWidthFunction>},
    {u"uppercase", make<UpperCaseFunction>},
    {u"unless", make<UnlessFunction>},
    {u"urlencode", make<UrlEncodeFunction>},
    {u"valueinc", make<ValueIncFunction>},
    {u"valueof", make<ValueOfFunction>},
};

static_assert(sizeof(FUNCTIONS) / sizeof(FUNCTIONS[0]) == 40);

} // namespace

bool BuiltinFunctions::create(const String& name, HttpFunction** out)
{
    if (name.empty() || !out)
        return false;
    for (const Entry& entry : FUNCTIONS) {
        if (name == entry.name) {
            HttpFunction* function = entry.create();
            function->AddRef();
            *out = function;
            return true;
        }
    }
    return false;
}

HttpFunction* BuiltinFunctions::createOperator(char16_t op)
{
    switch (op) {
    case u'+': return new PlusFunction();
    case u'-': return new MinusFunction();
    case u'*': return new TimesFunction();
    case u'%': return new ModuloFunction();
    case u'&': return new BitAndFunction();
    default: return nullptr;
    }
}

HttpFunction* BuiltinFunctions::createUnknown(const String& name)
{
    HttpFunction* function = new UnknownFunction();
    Ref<String> text = new String(name);
    function->addParam(new AnyValue(text.get()));
    return function;
}

} // namespace tessel
