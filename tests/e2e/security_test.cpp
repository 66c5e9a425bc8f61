// What a hostile page can and cannot do, and how the page is left alone.

#include "e2e_support.h"

#include <QDesktopServices>
#include <QUrl>

using namespace sitecapture;

namespace e2e {

namespace {

class Security : public HarnessTest {};

TEST_F(Security, HostilePageCannotReachTheBridge)
{
    DesktopCatcher catcher;
    for (const char* scheme : {"mailto", "sitecapture-test", "file", "http"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "Open");

    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="title" value="mine">)"},
        {QString(), R"(<input type="submit" value="go">)"},
    };
    // The page's own world: looks for the bridge, forges the events the bridge listens to,
    // and tries to get things opened outside. Had a forged event counted, the GET form
    // below (same address as the POST form's action) would carry a body.
    const QString script = QStringLiteral(R"(<form id="b" method="get" action="/hostile/save"><input type="hidden" name="x" value="1"></form>
<script>
var seen = [typeof qt, typeof QWebChannel, String('sitecaptureEngine' in window),
            typeof window.top.sitecaptureEngine, typeof window.qt];
var f = document.forms[0];
f.dispatchEvent(new Event('submit', {bubbles: true, cancelable: true}));
new FormData(f);
f.dispatchEvent(new Event('sitecapture-form-submit'));
var fd = new FormData();
fd.append('forged', '1');
f.dispatchEvent(new FormDataEvent('formdata', {formData: fd, bubbles: true}));
f.elements.title.dispatchEvent(new FocusEvent('focusin', {bubbles: true}));
f.elements.title.dispatchEvent(new Event('input', {bubbles: true}));
try { window.open('sitecapture-test:run'); } catch (e) {}
var a = document.createElement('a'); a.href = 'mailto:someone@example.com'; document.body.appendChild(a); a.click();
fetch('/report?' + seen.join(',')).then(function () { document.getElementById('b').submit(); });
</script>)");
    server_.ServeHtml("/hostile.html", "gbk",
                      FormPage("gbk", R"(method="post" action="/hostile/save?x=1")", rows, script));
    Open("/hostile.html", CaptureMode::PublishCapturePage);
    const Request* report = server_.WaitFor("GET", "/report");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->target, "/report?undefined,undefined,false,undefined,undefined");
    ASSERT_NE(server_.WaitFor("GET", "/hostile/save"), nullptr) << "the page's own GET form went";
    ASSERT_TRUE(WaitFor([&] { return statuses_.endsWith(u"完成"_qs); }));
    ASSERT_TRUE(WaitForBridge()); // everything the page sent before has been handled

    for (const Navigation& n : navigations_)
        EXPECT_TRUE(n.body.isEmpty()) << "forged submission reached " << n.url.toStdString();
    EXPECT_TRUE(Text2().isEmpty()) << "forged focus events are not the operator's";
    EXPECT_TRUE(Window().Captured().publishData.isEmpty());
    EXPECT_EQ(catcher.opened, 0);
    EXPECT_EQ(server_.Last("POST", "/hostile/save"), nullptr);
    EXPECT_EQ(server_.Last("GET", "/hostile/save")->target, "/hostile/save?x=1");
    for (const char* scheme : {"mailto", "sitecapture-test", "file", "http"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

TEST_F(Security, OversizedPageIsNotRead)
{
    // More than 16 MiB of markup: the field is still followed, its markup is not.
    QByteArray page = "<html><head><meta charset=\"gbk\"><style>body{margin:0} td{height:32px;padding:0}"
                      " td.c{width:150px} input{width:200px}</style></head><body><table><tr><td class=\"c\">"
                      "&#32852;&#31995;&#30005;&#35805;:</td><td><input name=\"tel\"></td></tr></table><div hidden>";
    page += QByteArray(17 * 1024 * 1024, 'x');
    page += "</div></body></html>";
    server_.Serve("/huge.html", "text/html; charset=gbk", page);
    Open("/huge.html", CaptureMode::PublishCapturePage);
    Visit(QPoint(kCaptionWidth + 20, 16), "tel");
    ASSERT_TRUE(WaitFor([&] {
        return std::any_of(statuses_.begin(), statuses_.end(),
                           [](const QString& s) { return s.contains(u"16 MB"); });
    }));
    EXPECT_EQ(Combo1(), "") << "no markup, no proposal";
    EXPECT_TRUE(Window().Browser().ActiveField()->markup.isEmpty());
    Type("123");
    EXPECT_TRUE(WaitFor([&] { return Text3() == "123"; })) << "typing is still followed";
}

TEST_F(Security, HighlightReachesTheFieldItselfAndNoMarkup)
{
    // Two fields of one name (and the page's keywords meta, also named): the highlight and
    // the label go to the focused element, not to the first of that name.
    const std::vector<Row> rows{
        {u"联系电话:"_qs, R"(<input name="tel" style="color: red">)"},
        {u"传真:"_qs, R"(<input name="tel">)"},
        {u"区号:"_qs, u"<input name=\"qh\" style=\"width:60px\">电话:<input name=\"tel2\" style=\"width:120px\">"_qs},
    };
    server_.ServeHtml("/paint.html", "gbk", FormPage("gbk", R"(method="post" action="/x")", rows));
    Open("/paint.html", CaptureMode::PublishCapturePage);

    const QPoint first = ControlAt(rows, 0) + QPoint(200, 0); // right end, clear of any text
    const QPoint second = ControlAt(rows, 1) + QPoint(200, 0);
    const QColor yellow(255, 255, 0);
    Visit(ControlAt(rows, 1), "tel");
    EXPECT_EQ(Combo1(), u"传真"_qs);
    ASSERT_TRUE(WaitForPixel(second, yellow));
    EXPECT_NE(PagePixel(first), yellow);
    Type("abc"); // the same name with another value, so the first field counts as new
    ASSERT_TRUE(WaitFor([&] { return Text3() == "abc"; }));

    Visit(ControlAt(rows, 0), "tel");
    ASSERT_TRUE(WaitFor([&] { return Text3().isEmpty(); }));
    EXPECT_EQ(Combo1(), u"电话"_qs);
    ASSERT_TRUE(WaitForPixel(first, yellow));
    const QString markup = Window().Browser().ActiveField()->markup;
    EXPECT_TRUE(markup.contains(uR"(<input name="tel" style="color: red" value="test...)"_qs)) << markup.toStdString();

    Visit(ControlAt(rows, 2), "qh");
    Visit(ControlAt(rows, 2) + QPoint(60 + 30 + 20, 0), "tel2");
    EXPECT_EQ(Combo1(), u"电话"_qs);
    const QString row = Window().Browser().ActiveField()->markup;
    EXPECT_TRUE(row.contains(uR"(<input name="qh" style="width:60px" value="">)"_qs))
        << "the painted field of the same row shows as the page wrote it: " << row.toStdString();
    EXPECT_FALSE(row.contains(u"yellow"));
    EXPECT_TRUE(row.endsWith(u"test..."));
}

} // namespace
} // namespace e2e
