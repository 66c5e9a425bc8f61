// The success text proposed from a site's answer.

#include "capture/success_proposal.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace sitecapture;
using namespace Qt::StringLiterals;

namespace {

struct Case {
    const char* what;
    const char16_t* answer;
    const char16_t* formPage;
    const char16_t* proposed; // nullptr: none
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.what;
}

class SuccessText : public testing::TestWithParam<Case> {};

TEST_P(SuccessText, ShortestDistinctiveSentenceThatReadsAsSuccess)
{
    const Case& c = GetParam();
    const QString answer = QString::fromUtf16(c.answer);
    const std::optional<QString> p = ProposeSuccessText(answer, QString::fromUtf16(c.formPage));
    if (!c.proposed) {
        EXPECT_FALSE(p) << c.what << " gave " << p.value_or("").toStdString();
        return;
    }
    EXPECT_EQ(p.value_or(u"<none>"_s), QString::fromUtf16(c.proposed)) << c.what;
    EXPECT_TRUE(answer.contains(p.value_or(u"<none>"_s))) << "the posting product finds it in the answer";
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SuccessText,
    testing::Values(
        Case{"an alert of the answer's script",
             u"<html><body><script>alert('信息发布成功，请等待审核！');location.href='list.asp';</script></body></html>",
             u"", u"信息发布成功，请等待审核"},
        Case{"the shortest of several",
             u"<title>发布成功</title><body><p>恭喜您，您的供求信息已经发布成功！</p><p>3秒后返回</p>", u"",
             u"发布成功"},
        Case{"not what the form's page shows as well",
             u"<title>发布成功</title><body><p>恭喜您，您的供求信息已经发布成功！</p>",
             u"<p>发布成功后请等待审核</p><form>...</form>", u"恭喜您，您的供求信息已经发布成功"},
        Case{"a failure is no success", u"<p>发布失败，请重新填写！</p><p>操作不成功</p>", u"", nullptr},
        Case{"English", u"<div class=msg>Your offer was submitted successfully.</div>", u"",
             u"Your offer was submitted successfully"},
        Case{"traditional characters", u"<td>資料已提交，謝謝！</td>", u"", u"資料已提交，謝謝"},
        Case{"an entity ends the sentence", u"<b>发布成功&nbsp;请等待管理员审核</b>", u"", u"发布成功"},
        Case{"comments and styles say nothing",
             u"<!-- 发布成功页面模板 --><style>.ok:after{content:'已提交成功'}</style><p>提交成功，谢谢您的参与</p>", u"",
             u"提交成功，谢谢您的参与"},
        Case{"a two-character success when nothing longer reads so", u"<h1>成功</h1><p>返回首页</p>", u"", u"成功"},
        Case{"a page without a word of success", u"<h2>最新供求信息</h2><ul><li>钢管</li></ul>", u"", nullptr},
        Case{"sentences of a long page's text that are too long do not count",
             u"<p>本站是国内领先的电子商务平台，成立多年来已经帮助成千上万的企业成功开拓市场，赢得客户，实现了业绩的快速增长和品牌的提升</p>",
             u"", nullptr}));

} // namespace
