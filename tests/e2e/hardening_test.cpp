// Pages that used to get a wrong body, or none, past the capture: addresses in the page's own
// charset, scripts around the submission, odd field names and accept-charset lists, listeners
// that stop events, and pages that try to make the tool record what never went out.

#include "e2e_support.h"

using namespace sitecapture;

namespace e2e {
namespace {

struct BodyCase {
    const char* what;
    const char* charset;
    QString form;       // the form's attributes
    QString control;    // the last row: what is clicked to submit
    QString script;     // the page's own script after the form
    QByteArray sentHas; // what the engine's body shows, so the case tests what it says
    QString extraFields = {};
};

void PrintTo(const BodyCase& c, std::ostream* os)
{
    *os << c.what;
}

const QString kSubmitButton = uR"(<input type="submit" name="ok" value="OK">)"_qs;

class HardenedBodies : public HarnessTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(HardenedBodies, EqualWhatTheEngineSentToTheAddressItUsed)
{
    const BodyCase& c = GetParam();
    const std::vector<Row> rows{
        {u"标题:"_qs, u"<input name=\"a\" value=\"1\"><input type=\"hidden\" name=\"t\" value=\"中文\">"_qs + c.extraFields},
        {QString(), c.control},
    };
    server_.ServeHtml("/hard/form.html", c.charset,
                      FormPage(QString::fromLatin1(c.charset), c.form, rows, c.script));
    Open("/hard/form.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1) + QPoint(10, 0));

    const Request* theirs = server_.WaitFor("POST", "/t3");
    ASSERT_TRUE(theirs);
    EXPECT_TRUE(theirs->body.contains(c.sentHas)) << "the engine sent " << theirs->body.toStdString();
    // The address exactly as the engine requested it, query bytes in the page's charset.
    const QString action = server_.Url(QString::fromLatin1(theirs->target));
    const Navigation* ours = WaitForPost(action);
    ASSERT_TRUE(ours) << "no body raised for " << action.toStdString();
    EXPECT_EQ(WithBoundaryOf(ours->body, *theirs), theirs->body)
        << "\nours:   " << ours->body.toStdString() << "\ntheirs: " << theirs->body.toStdString();
    EXPECT_EQ(Window().Captured().publishAction, action);
    EXPECT_FALSE(Window().Captured().publishData.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Hardening, HardenedBodies,
    testing::Values(
        BodyCase{"GBK action with Chinese in its query", "gbk",
                 u"method=\"post\" action=\"/t3?type=供应\""_qs, kSubmitButton, {}, "a=1&t=%D6%D0%CE%C4&ok=OK"},
        BodyCase{"Big5 action with Chinese in its query", "big5",
                 u"method=\"post\" action=\"/t3?lb=供應&amp;x=1\""_qs, kSubmitButton, {}, "a=1&t=%A4%A4%A4%E5&ok=OK"},
        BodyCase{"submit listener builds a FormData of its own", "gbk",
                 uR"(name="f" method="post" action="/t3")"_qs, kSubmitButton,
                 uR"h(<script>document.f.addEventListener('submit', function () { new FormData(document.f); });</script>)h"_qs,
                 "ok=OK"},
        BodyCase{"formdata listener adds a token", "gbk",
                 uR"(name="f" method="post" action="/t3")"_qs, kSubmitButton,
                 uR"h(<script>document.f.addEventListener('formdata', function (e) {
                       e.formData.append('token', 'abc'); e.formData.set('a', '2'); });</script>)h"_qs,
                 "a=2&t=%D6%D0%CE%C4&ok=OK&token=abc"},
        BodyCase{"form.submit() while the page stops the hook's event", "gbk",
                 uR"(name="f" method="post" action="/t3")"_qs,
                 uR"h(<button type="button" onclick="document.f.submit()">send</button>)h"_qs,
                 uR"h(<script>window.addEventListener('sitecapture-form-submit', function (e) {
                       e.stopImmediatePropagation(); }, true);</script>)h"_qs,
                 "a=1"},
        BodyCase{"page stops submit and formdata at the window first", "gbk",
                 uR"(name="f" method="post" action="/t3")"_qs, kSubmitButton,
                 uR"h(<script>['submit', 'formdata'].forEach(function (type) {
                       window.addEventListener(type, function (e) { e.stopImmediatePropagation(); }, true); });</script>)h"_qs,
                 "ok=OK"},
        BodyCase{"multipart names with a bare LF and a bare CR", "gbk",
                 uR"(method="post" action="/t3" enctype="multipart/form-data")"_qs, kSubmitButton, {},
                 "name=\"a%0D%0Ab\"", uR"(<input type="hidden" name="a&#10;b" value="x"><input type="hidden" name="c&#13;d" value="y">)"_qs},
        BodyCase{"accept-charset with a tab between labels", "gbk",
                 u"method=\"post\" action=\"/t3\" accept-charset=\"utf-8\tbig5\""_qs, kSubmitButton, {},
                 "t=%D6%D0%CE%C4"},
        BodyCase{"accept-charset whose first label is the replacement encoding", "gbk",
                 uR"(method="post" action="/t3" accept-charset="iso-2022-kr gbk")"_qs, kSubmitButton, {},
                 "t=%E4%B8%AD%E6%96%87"}),
    [](const testing::TestParamInfo<BodyCase>& info) { return std::to_string(info.index); });

class Hardening : public HarnessTest {};

TEST_F(Hardening, PageCannotRecordASubmissionThatNeverWent)
{
    // The page announces a submission the way the hook does, asks for entry lists outside
    // any submission (one after a prevented submit), then leaves by GET to the action
    // address, by a new window to it, or submits the form and a GET form at once, so that
    // only the GET goes. None of that may reach the capture; the operator's own submission
    // afterwards does.
    const std::vector<Row> rows{
        {u"标题:"_qs, R"(<input name="title" value="forged">)"},
        {QString(), kSubmitButton},
    };
    const QString script = QStringLiteral(R"h(<form id="g" method="get" action="/t3"><input type="hidden" name="x" value="1"></form>
<script>
var f = document.forms[0];
f.dispatchEvent(new Event('sitecapture-form-submit'));
new FormData(f);
f.addEventListener('submit', function (e) { e.preventDefault(); }, {once: true});
f.requestSubmit();
new FormData(f);
fetch('/forged').then(function () {
  if (location.search === '?by=get') {
    document.getElementById('g').submit();
  } else if (location.search === '?by=both') {
    f.requestSubmit(); // a real submission, overtaken by the GET form's before it goes
    document.getElementById('g').submit();
  } else {
    window.open('/t3?x=1');
  }
});
</script>)h");
    server_.ServeHtml("/hard/forge.html", "gbk",
                      FormPage("gbk", R"(method="post" action="/t3?x=1")", rows, script));
    for (const char* way : {"get", "both", "window"}) {
        SCOPED_TRACE(way);
        const qsizetype gets = server_.Requests().size();
        // Opened without waiting for the page to take input: it leaves by itself.
        Window().ShowCapturePage(server_.Url(u"/hard/forge.html?by="_qs + QString::fromLatin1(way)),
                                 CaptureMode::PublishCapturePage, server_.Url("/view"));
        ASSERT_TRUE(WaitFor([&] {
            for (qsizetype i = gets; i < server_.Requests().size(); ++i)
                if (server_.Requests()[i].target == "/t3?x=1")
                    return true;
            return false;
        })) << "the page left for the action address";
        ASSERT_TRUE(WaitFor([&] { return statuses_.endsWith(u"完成"_qs); }));
        ASSERT_TRUE(WaitForBridge()); // what the page sent before has been handled
    }
    for (const Navigation& n : navigations_)
        EXPECT_TRUE(n.body.isEmpty()) << "forged submission recorded for " << n.url.toStdString();
    EXPECT_TRUE(Window().Captured().publishData.isEmpty());
    EXPECT_EQ(server_.Last("POST", "/t3"), nullptr);

    // A submission made by the operator still counts, to the same address.
    server_.ServeHtml("/hard/real.html", "gbk", FormPage("gbk", R"(method="post" action="/t3?x=1")", rows));
    Open("/hard/real.html", CaptureMode::PublishCapturePage);
    Click(ControlAt(rows, 1));
    const Request* theirs = server_.WaitFor("POST", "/t3");
    const Navigation* ours = WaitForPost(server_.Url("/t3?x=1"));
    ASSERT_TRUE(theirs && ours);
    EXPECT_EQ(ours->body, theirs->body);
    EXPECT_EQ(Window().Captured().publishData, "title=forged&ok=OK");
}

} // namespace
} // namespace e2e
