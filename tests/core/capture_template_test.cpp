// Templating of decoded post data and the capture of a submission.

#include "capture/placeholders.h"
#include "capture/submission_capture.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sitecapture;

namespace {

struct Entry {
    const char16_t* name;
    const char16_t* value;
    const char16_t* token;
};

FieldMap MapOf(const std::vector<Entry>& entries)
{
    FieldMap map;
    for (const Entry& e : entries)
        map.AddEntry(QString::fromUtf16(e.name), QString::fromUtf16(e.value),
                     QString::fromUtf16(e.token));
    return map;
}

struct TemplateCase {
    const char* what;
    const char16_t* data;
    std::vector<Entry> entries;
    const char16_t* expected;
};

class TemplateCases : public testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateCases, ReplacesWholePairsOnly)
{
    const TemplateCase& c = GetParam();
    EXPECT_EQ(TemplatePostData(QString::fromUtf16(c.data), MapOf(c.entries)),
              QString::fromUtf16(c.expected))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, TemplateCases,
    testing::Values(
        TemplateCase{"no mapped field", u"a=1&b=2", {}, u"a=1&b=2"},
        TemplateCase{"case ignored, stored name kept",
                     u"Title=ABC&price=12", {{u"title", u"abc", u"/ztitle/"}},
                     u"title=/ztitle/&price=12"},
        TemplateCase{"first pair only", u"a=1&a=1", {{u"a", u"1", u"/zsssl/"}},
                     u"a=/zsssl/&a=1"},
        TemplateCase{"not inside a longer name", u"fullname=x&name=x",
                     {{u"name", u"x", u"/zconne/"}}, u"fullname=x&name=/zconne/"},
        TemplateCase{"not inside a longer value", u"name=xy&name=x",
                     {{u"name", u"x", u"/zconne/"}}, u"name=xy&name=/zconne/"},
        TemplateCase{"empty value only matches an empty pair", u"name=abc&name=&z=1",
                     {{u"name", u"", u"/zconne/"}}, u"name=abc&name=/zconne/&z=1"},
        TemplateCase{"empty value, no empty pair", u"name=abc",
                     {{u"name", u"", u"/zconne/"}}, u"name=abc"},
        TemplateCase{"empty token skipped", u"a=1", {{u"a", u"1", u""}}, u"a=1"},
        TemplateCase{"full width matches half width", u"ｔｉｔｌｅ=ＡＢＣ&x=1",
                     {{u"title", u"abc", u"/ztitle/"}}, u"title=/ztitle/&x=1"},
        TemplateCase{"value holding an ampersand", u"t=a&b&c=1",
                     {{u"t", u"a&b", u"/ztitle/"}}, u"t=/ztitle/&c=1"},
        TemplateCase{"entries in order on the previous result", u"a=1&b=1&c=1",
                     {{u"b", u"1", u"/zprice/"}, {u"a", u"1", u"/ztitle/"},
                      {u"c", u"1", u"/zsssl/"}},
                     u"a=/ztitle/&b=/zprice/&c=/zsssl/"},
        TemplateCase{"a later entry sees the earlier replacement",
                     u"a=x&b=/ztitle/", {{u"a", u"x", u"/ztitle/"}, {u"a", u"/ztitle/", u"/zcomp/"}},
                     u"a=/zcomp/&b=/ztitle/"},
        TemplateCase{"Chinese values", u"title=中文标题&price=12",
                     {{u"title", u"中文标题", u"/ztitle/"}, {u"price", u"12", u"/zprice/"}},
                     u"title=/ztitle/&price=/zprice/"},
        TemplateCase{"the last pair", u"x=1&phone=123", {{u"phone", u"123", u"/ztelpho/"}},
                     u"x=1&phone=/ztelpho/"},
        TemplateCase{"a replacement holding an ampersand keeps later pairs findable",
                     u"a=1&b=2&c=3", {{u"a&b", u"1", u"/zqh/"}, {u"c", u"3", u"/zcity/"}},
                     u"a=1&b=2&c=/zcity/"},
        TemplateCase{"compound token", u"tel=0571-888", {{u"tel", u"0571-888", u"/zqh//ztelpho/"}},
                     u"tel=/zqh//ztelpho/"}));

TEST(CaptureSubmission, StoresTheLoginAndThePublishSubmission)
{
    FieldMap map;
    MapCurrentField(map, "user", "tom", u"联系人"_qs);
    CaptureSet set;

    auto shown = CaptureSubmission(CaptureMode(1), "http://a.cn/login.asp", "user=tom&pass=%B0%A1", map, set);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, (CapturedDisplay{"http://a.cn/login.asp", u"user=/zconne/&pass=啊"_qs}));
    EXPECT_EQ(set.loginAction, "http://a.cn/login.asp");
    EXPECT_EQ(set.loginData, u"user=/zconne/&pass=啊"_qs);
    EXPECT_TRUE(set.publishAction.isEmpty());

    shown = CaptureSubmission(CaptureMode(2), "http://a.cn/post.asp", "t=1", FieldMap{}, set);
    ASSERT_TRUE(shown);
    EXPECT_EQ(set.publishAction, "http://a.cn/post.asp");
    EXPECT_EQ(set.publishData, "t=1");
    EXPECT_EQ(set.loginData, u"user=/zconne/&pass=啊"_qs);

    // the last submission of a page wins
    CaptureSubmission(CaptureMode(2), "http://a.cn/post2.asp", "t=2", FieldMap{}, set);
    EXPECT_EQ(set.publishAction, "http://a.cn/post2.asp");
    EXPECT_EQ(set.publishData, "t=2");
}

TEST(CaptureSubmission, IgnoresEmptyBodiesAndOtherPages)
{
    CaptureSet set;
    set.loginAction = "kept";
    const CaptureSet before = set;
    for (int mode : {0, 3, 4, -1})
        EXPECT_FALSE(CaptureSubmission(CaptureMode(mode), "http://x/", "a=1", FieldMap{}, set)) << mode;
    EXPECT_FALSE(CaptureSubmission(CaptureMode(1), "http://x/", "", FieldMap{}, set));
    EXPECT_FALSE(CaptureSubmission(CaptureMode(2), "http://x/", QByteArrayView(), FieldMap{}, set));
    EXPECT_EQ(set, before);
}

TEST(CaptureSubmission, DecodesRawGbkBytesInTheBody)
{
    CaptureSet set;
    FieldMap map;
    MapCurrentField(map, "t", u"中文"_qs, u"主题"_qs);
    ASSERT_TRUE(CaptureSubmission(CaptureMode(2), "u", "t=\xD6\xD0\xCE\xC4&p=%C8A", map, set));
    EXPECT_EQ(set.publishData, u"t=/ztitle/&p=華"_qs);
}

} // namespace
