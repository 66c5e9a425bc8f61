// The body handed to BeforeNavigate2 is byte for byte the body the browser sent, in every
// charset and enctype: the test server records what really arrived.

#include "e2e_support.h"

using namespace sitecapture;

namespace e2e {
namespace {

struct BodyCase {
    const char* what;
    const char* pageCharset;
    const char* formAttributes; // besides method and action
    const char* enctype;
    bool imageButton;           // submit by an image button instead of a submit button
};

void PrintTo(const BodyCase& c, std::ostream* os)
{
    *os << c.what;
}

// Everything a form can carry, with the characters that go wrong: Chinese, characters the
// charset lacks, the separators of urlencoded data and line breaks.
std::vector<Row> EveryKindOfField()
{
    return {
        {u"标题:"_qs, u"<input name=\"title\" value=\"中文 A+B&amp;C=D%E ²¥é☃😀 ~!'()*-._\">"_qs},
        {u"名称:"_qs, u"<input name=\"名称&amp;x=y\" value=\"華語 50% 镕\">"_qs},
        {u"说明:"_qs, u"<textarea name=\"desc\" rows=\"2\">第一行\n第二行\r\n第三行 + &amp; = %</textarea>"_qs, 2},
        {u"类别:"_qs, u"<select name=\"cat\"><option value=\"1\">一</option><option selected>选项二</option></select>"_qs},
        {u"选项:"_qs, u"<input type=\"checkbox\" name=\"agree\" value=\"是\" checked><input type=\"checkbox\" name=\"no\" value=\"x\">"
                      u"<input type=\"radio\" name=\"r\" value=\"甲\"><input type=\"radio\" name=\"r\" value=\"乙\" checked>"_qs},
        {u"文件:"_qs, R"(<input type="file" name="pic">)"},
        {u"隐藏:"_qs, u"<input type=\"hidden\" name=\"h\" value=\"隐藏值 &amp; +\"><input name=\"typed\">"_qs},
        {QString(), u"<input type=\"submit\" name=\"ok\" value=\"确定\" style=\"width:80px\">"
                    u"<input type=\"submit\" name=\"other\" value=\"不用\" style=\"width:80px\">"
                    u"<input type=\"image\" name=\"img\" src=\"/dot.gif\" style=\"width:24px;height:24px\">"_qs},
    };
}

class SubmissionBytes : public HarnessTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(SubmissionBytes, EqualWhatTheBrowserSent)
{
    const BodyCase& c = GetParam();
    const std::vector<Row> rows = EveryKindOfField();
    const QString attributes = QStringLiteral(R"(method="post" action="/bytes/take.asp?id=7" enctype="%1" %2)")
                                   .arg(QLatin1StringView(c.enctype), QLatin1StringView(c.formAttributes));
    server_.ServeHtml("/bytes/form.html", c.pageCharset, FormPage(c.pageCharset, attributes, rows));
    server_.Serve("/dot.gif", "image/gif",
                  QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw=="));
    Open("/bytes/form.html", CaptureMode::PublishCapturePage);

    // Something typed for real as well.
    const QPoint typed = ControlAt(rows, 6) + QPoint(0, 0);
    Visit(typed, "typed");
    Type("Ab1+&=%");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "Ab1+&=%"; }));

    const QPoint submit = ControlAt(rows, 7);
    Click(c.imageButton ? submit + QPoint(160 + 10, 3) : submit + QPoint(30, 0));

    const QString action = server_.Url("/bytes/take.asp?id=7");
    const Navigation* ours = WaitForPost(action);
    const Request* theirs = server_.WaitFor("POST", "/bytes/take.asp");
    ASSERT_TRUE(ours && theirs) << c.what;
    ASSERT_FALSE(theirs->body.isEmpty());
    EXPECT_EQ(WithBoundaryOf(ours->body, *theirs), theirs->body)
        << c.what << "\nours:   " << ours->body.toStdString()
        << "\ntheirs: " << theirs->body.toStdString();
    EXPECT_TRUE(theirs->body.contains(c.imageButton ? "img.x" : "ok")) << "the submitter is sent";
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, SubmissionBytes,
    testing::Values(
        BodyCase{"GBK urlencoded", "gbk", "", "", false},
        BodyCase{"GBK urlencoded, image button", "gbk", "", "application/x-www-form-urlencoded", true},
        BodyCase{"GBK multipart", "gbk", "", "multipart/form-data", false},
        BodyCase{"GBK text/plain", "gbk", "", "text/plain", false},
        BodyCase{"GB2312 page, sent as GBK", "gb2312", "", "", false},
        BodyCase{"GB2312 multipart", "gb2312", "", "multipart/form-data", false},
        BodyCase{"UTF-8 urlencoded", "utf-8", "", "", false},
        BodyCase{"UTF-8 multipart", "utf-8", "", "MULTIPART/FORM-DATA", false},
        BodyCase{"UTF-8 text/plain", "utf-8", "", "text/plain", false},
        BodyCase{"Big5 urlencoded", "big5", "", "", false},
        BodyCase{"Big5 multipart", "big5", "", "multipart/form-data", false},
        BodyCase{"UTF-8 page, accept-charset GBK", "utf-8", R"(accept-charset="x-unknown gb2312")", "", false},
        BodyCase{"GBK page, accept-charset UTF-8", "gbk", R"(accept-charset="utf-8")", "", false}),
    [](const testing::TestParamInfo<BodyCase>& info) { return std::to_string(info.index); });

} // namespace
} // namespace e2e
