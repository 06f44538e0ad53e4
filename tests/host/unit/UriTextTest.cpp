#include <gtest/gtest.h>

#include "host/UriText.h"

using host::UriText;

TEST(UriTextForPages, KeepsWhatAUrlNeedsAndWhatIsEncodedAlready)
{
    EXPECT_EQ(UriText::safe("/PurchaseOrderList.htm?page=2&cmd=list"), "/PurchaseOrderList.htm?page=2&cmd=list");
    EXPECT_EQ(UriText::safe("/open?a=%22%3E"), "/open?a=%22%3E");
    EXPECT_EQ(UriText::safe("/a?b=c+d,e;f:g@h!$*()~-._"), "/a?b=c+d,e;f:g@h!$*()~-._");
}

TEST(UriTextForPages, EncodesWhatCouldEndAnAttributeOrStartMarkup)
{
    EXPECT_EQ(UriText::safe("/open?a=\"><script>"), "/open?a=%22%3E%3Cscript%3E");
    EXPECT_EQ(UriText::safe("'`\\{}|^ #[]"), "%27%60%5C%7B%7D%7C%5E%20%23%5B%5D");
    EXPECT_EQ(UriText::safe(std::string("\r\n\x7f\0", 4)), "%0D%0A%7F%00");
    EXPECT_EQ(UriText::safe("\xe4\xb8\xad"), "%E4%B8%AD");
}
