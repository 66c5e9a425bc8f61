// What the browser tells of a captured submission, and the work it does out of sight with the
// same cookies: the form's page loaded once more, and the body posted once more.

#include "e2e_support.h"

#include "capture/captured_submission.h"
#include "capture/codepage.h"

#include <QPlainTextEdit>
#include <QUrlQuery>

#include <memory>

using namespace sitecapture;

namespace e2e {
namespace {

// Starts background work and waits for its one answer; also notes an answer given inside
// the call, which must never happen.
template <class T>
struct Awaited {
    std::optional<Result<T>> answer;
    bool asked = false; // the call has returned
    bool early = false;
};

template <class T, class Start>
std::shared_ptr<Awaited<T>> Await(Start start)
{
    auto state = std::make_shared<Awaited<T>>();
    start([state](Result<T> r) {
        state->early = state->early || !state->asked;
        state->answer = std::move(r);
    });
    state->asked = true;
    WaitUntil([&] { return state->answer.has_value(); }, 40000);
    return state;
}

// A page in the charset, written as ASCII so that the declared charset alone decides.
Response Html(const char* charset, const QString& html, QByteArray headers = {})
{
    Response r;
    r.contentType = "text/html; charset=" + QByteArray(charset);
    r.body = AsciiHtml(html).toLatin1();
    r.headers = std::move(headers);
    return r;
}

class Replay : public HarnessTest {
protected:
    std::shared_ptr<Awaited<std::vector<CheckedField>>> Reload(const FormPlace& place)
    {
        return Await<std::vector<CheckedField>>([&](auto done) { PageBrowser().ReloadForm(place, done); });
    }
    std::shared_ptr<Awaited<ReplayResponse>> Send(const ReplayRequest& request)
    {
        return Await<ReplayResponse>([&](auto done) { PageBrowser().Replay(request, done); });
    }
    static ReplayRequest Again(const CapturedSubmission& s) { return {s.action, s.body, s.contentType}; }
};

// --- what a submission carries --------------------------------------------------------------

struct FieldExpect {
    const char* name;
    QString type;
    bool readonly;
    bool typed;
    QString value;
    QString captionEnd; // null: not looked at
    const char* image;  // path on the server, or empty
};

struct DescribeCase {
    const char* charset;
    const char* charsetName; // as the body is encoded
};

void PrintTo(const DescribeCase& c, std::ostream* os)
{
    *os << c.charset;
}

class Described : public Replay, public testing::WithParamInterface<DescribeCase> {};

TEST_P(Described, FieldsAsThePageHadThem)
{
    const DescribeCase& c = GetParam();
    const std::vector<Row> rows{
        {u"用户名:"_qs, R"(<input name="user">)"},
        {u"密码:"_qs, R"(<input type="password" name="pwd" value="preset">)"},
        {u"会员编号:"_qs, R"(<input name="uid" value="A001" readonly>)"},
        {u"验证码:"_qs, R"(<input name="yzm" id="vc" type="TEXT" style="width:80px"> <img src="/vc/code.asp?r=1" width="40" height="20">)"},
        {u"说明:"_qs, R"(<textarea name="desc" rows="2"></textarea>)", 2},
        {u"类别:"_qs, u"<select name=\"cat\"><option value=\"1\">一</option></select>"_qs},
        {QString(), u"<input type=\"hidden\" name=\"token\" value=\"t9\"><input type=\"submit\" name=\"ok\" value=\"确定\">"_qs},
    };
    server_.ServeHtml("/desc/form.html", c.charset,
                      FormPage(QString::fromLatin1(c.charset), R"(method="post" action="save.asp")", rows));
    Open("/desc/form.html", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "user");
    Type("zhang");
    Visit(ControlAt(rows, 2), "uid");
    Type("x"); // read-only: nothing goes in, so nothing was typed
    Visit(ControlAt(rows, 3), "yzm");
    Type("abcd");
    Visit(ControlAt(rows, 4), "desc");
    Type(u"测试"_qs);
    ASSERT_TRUE(WaitFor([&] { return Text3() == u"测试"_qs; }));
    Click(ControlAt(rows, 6) + QPoint(20, 0));

    const QString action = server_.Url("/desc/save.asp");
    const Navigation* post = WaitForPost(action);
    const Request* sent = server_.WaitFor("POST", "/desc/save.asp");
    ASSERT_TRUE(post && sent);
    const std::optional<CapturedSubmission> s = PageBrowser().LastSubmission();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->action, action);
    EXPECT_EQ(s->body, sent->body);
    EXPECT_EQ(s->contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(s->charset, QString::fromLatin1(c.charsetName));
    ASSERT_TRUE(s->form);
    EXPECT_EQ(*s->form, (FormPlace{server_.Url("/desc/form.html"), 0, action}));

    const std::vector<FieldExpect> expected{
        {"user", "", false, true, "zhang", u"用户名"_qs, ""},
        {"pwd", "password", false, false, "preset", u"密码"_qs, ""},
        {"uid", "", true, false, "A001", u"会员编号"_qs, ""},
        {"yzm", "TEXT", false, true, "abcd", u"验证码"_qs, "/vc/code.asp?r=1"},
        {"desc", "textarea", false, true, u"测试"_qs, u"说明"_qs, ""},
        {"cat", "select", false, false, "1", u"类别"_qs, ""},
        {"token", "hidden", false, false, "t9", {}, ""},
        {"ok", "submit", false, false, u"确定"_qs, {}, ""},
    };
    ASSERT_EQ(s->fields.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CheckedField& f = s->fields[i];
        const FieldExpect& e = expected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(f.name, e.name);
        EXPECT_EQ(f.id, e.name == std::string("yzm") ? "vc" : "");
        EXPECT_EQ(f.type, e.type);
        EXPECT_EQ(f.readonly, e.readonly);
        EXPECT_EQ(f.typed, e.typed);
        EXPECT_EQ(f.value, e.value);
        if (!e.captionEnd.isNull()) {
            EXPECT_TRUE(f.caption.endsWith(e.captionEnd)) << f.caption.toStdString();
        }
        EXPECT_EQ(f.imageNear, *e.image ? server_.Url(QString::fromLatin1(e.image)) : QString());
        EXPECT_FALSE(f.reloaded);
    }
}

INSTANTIATE_TEST_SUITE_P(Charsets, Described,
                         testing::Values(DescribeCase{"gbk", "GBK"}, DescribeCase{"utf-8", "UTF-8"}),
                         [](const auto& info) { return std::string(info.param.charsetName) == "GBK" ? "GBK" : "UTF8"; });

// --- a page with two forms: loaded again, and its publish form posted again -----------------

// A search form first, so the publish form is the second; fields at fixed places.
QString TwoForms(const QString& charset, const QString& token, const QString& action = u"save.asp"_qs)
{
    return QStringLiteral(
               "<html><head><meta charset=\"%1\"><style>body{margin:0} input{position:absolute;left:0;"
               "width:200px;height:24px;margin:0}</style></head><body>"
               "<form action=\"/search\" method=\"get\"><input name=\"q\" style=\"top:0\"></form>"
               "<form action=\"%3\" method=\"post\"><input name=\"title\" style=\"top:40px\">"
               "<input type=\"hidden\" name=\"token\" value=\"%2\">"
               "<input type=\"submit\" name=\"ok\" value=\"发布\" style=\"top:80px\"></form></body></html>")
        .arg(charset, token, action);
}
const QPoint kTitle(100, 52);
const QPoint kPublish(100, 92);

struct ReplayCase {
    const char* what;
    const char* charset;
    bool perVisit; // a new token at every visit, each accepted once
};

void PrintTo(const ReplayCase& c, std::ostream* os)
{
    *os << c.what;
}

class ReloadAndReplay : public Replay, public testing::WithParamInterface<ReplayCase> {};

TEST_P(ReloadAndReplay, TokenAndAnswer)
{
    const ReplayCase& c = GetParam();
    const QString charset = QString::fromLatin1(c.charset);
    int visits = 0;
    QSet<QByteArray> issued;
    QSet<QByteArray> used;
    server_.Handle("/rp/form.html", [&](const Request&) {
        ++visits;
        const QByteArray token = c.perVisit ? "T" + QByteArray::number(visits) : "fixed";
        issued.insert(token);
        return Html(c.charset, TwoForms(charset, QString::fromLatin1(token)), "Set-Cookie: sid=42; Path=/\r\n");
    });
    // The answer in the page's own bytes, with what a hostile answer would try in a browser.
    const QString hostile = QStringLiteral(
        "<script>fetch('/ran')</script><meta http-equiv=\"refresh\" content=\"0;url=/after\">"
        "<iframe src=\"/frame\"></iframe><img src=\"/pic.gif\"><form id=\"f\" action=\"/auto\" method=\"post\">"
        "</form><script>document.getElementById('f').submit();window.open('/popup')</script>");
    const FormCharset encoder(charset);
    int posts = 0;
    server_.Handle("/rp/save.asp", [&](const Request& r) {
        const QByteArray token = QUrlQuery(QString::fromLatin1(r.body)).queryItemValue("token").toLatin1();
        QString answer;
        int status = 200;
        if (!r.headers.value("cookie").contains("sid=42")) {
            status = 403;
            answer = u"未登录"_qs;
        } else if (!issued.contains(token) || (c.perVisit && used.contains(token))) {
            status = 403;
            answer = u"令牌已失效"_qs;
        } else {
            used.insert(token);
            answer = u"发布成功"_qs;
        }
        Response page;
        page.status = status;
        page.contentType = "text/html; charset=" + QByteArray(c.charset);
        // Only the answers to the replay: the operator's view runs what it is given.
        page.body = encoder.Encode(u"<html><body><p>"_qs + answer + u"</p>"_qs + (++posts > 1 ? hostile : QString())
                                   + u"</body></html>"_qs);
        return page;
    });
    Open("/rp/form.html", CaptureMode::PublishCapturePage);
    Visit(kTitle, "title");
    Type(u"标题一"_qs);
    ASSERT_TRUE(WaitFor([&] { return Text3() == u"标题一"_qs; }));
    Click(kPublish);
    const QString action = server_.Url("/rp/save.asp");
    ASSERT_TRUE(WaitForPost(action));
    ASSERT_TRUE(server_.WaitFor("POST", "/rp/save.asp"));
    std::optional<CapturedSubmission> s = PageBrowser().LastSubmission();
    ASSERT_TRUE(s && s->form);
    EXPECT_EQ(s->form->index, 1) << "the search form comes first";
    const qsizetype navigationsBefore = navigations_.size();
    const QString text1 = Panel().Text1()->text();
    const QString text4 = Panel().Text4()->toPlainText();
    const int postsBefore = int(std::count_if(server_.Requests().begin(), server_.Requests().end(),
                                              [](const Request& r) { return r.method == "POST"; }));

    const auto reloaded = Reload(*s->form);
    ASSERT_TRUE(reloaded->answer) << "no answer to the reload";
    EXPECT_FALSE(reloaded->early);
    ASSERT_TRUE(reloaded->answer->ok()) << reloaded->answer->error().message.toStdString();
    std::vector<CheckedField> fields = s->fields;
    SetReloadedValues(fields, reloaded->answer->value());
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].reloaded, QString()) << "the title as the page gives it";
    EXPECT_EQ(fields[1].name, "token");
    EXPECT_EQ(fields[1].reloaded != fields[1].value, c.perVisit) << fields[1].reloaded->toStdString();
    EXPECT_EQ(visits, 2) << "loaded once more, and only once";

    const auto replayed = Send(Again(*s));
    ASSERT_TRUE(replayed->answer) << "no answer to the replay";
    EXPECT_FALSE(replayed->early);
    ASSERT_TRUE(replayed->answer->ok()) << replayed->answer->error().message.toStdString();
    const ReplayResponse& r = replayed->answer->value();
    EXPECT_EQ(r.status, c.perVisit ? 403 : 200);
    EXPECT_TRUE(r.text.contains(c.perVisit ? u"令牌已失效"_qs : u"发布成功"_qs)) << r.text.toStdString();
    EXPECT_EQ(r.url, action);

    QList<const Request*> posted;
    for (const Request& q : server_.Requests())
        if (q.method == "POST")
            posted << &q;
    ASSERT_EQ(posted.size(), postsBefore + 1) << "one replay, no form of the answer submitted";
    EXPECT_EQ(posted.last()->body, posted.first()->body) << "the same bytes twice";
    EXPECT_EQ(posted.last()->headers.value("content-type"), "application/x-www-form-urlencoded");

    // Nothing of the answer ran or loaded, and nothing reached the capture.
    WaitUntil([] { return false; }, 500);
    for (const char* path : {"/ran", "/after", "/frame", "/pic.gif", "/auto", "/popup"})
        EXPECT_FALSE(server_.Last("GET", path) || server_.Last("POST", path)) << path;
    EXPECT_EQ(navigations_.size(), navigationsBefore);
    EXPECT_EQ(Panel().Text1()->text(), text1);
    EXPECT_EQ(Panel().Text4()->toPlainText(), text4);
    EXPECT_EQ(PageBrowser().LastSubmission()->body, s->body);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReloadAndReplay,
    testing::Values(ReplayCase{"GBK clean form", "gbk", false},
                    ReplayCase{"UTF-8 form with a per-visit token", "utf-8", true}),
    [](const auto& info) { return info.param.perVisit ? "PerVisitToken" : "Clean"; });

// --- a reload that cannot check ------------------------------------------------------------

struct LostCase {
    const char* what;
    Response again; // the page's answer from the second visit on
    const char* said;
};

void PrintTo(const LostCase& c, std::ostream* os)
{
    *os << c.what;
}

Response Redirect(const QByteArray& to)
{
    Response r;
    r.status = 302;
    r.body = "moved";
    r.headers = "Location: " + to + "\r\n";
    return r;
}

class LostForm : public Replay, public testing::WithParamInterface<LostCase> {};

TEST_P(LostForm, IsNotChecked)
{
    const LostCase& c = GetParam();
    int visits = 0;
    server_.Handle("/lost/form.html", [&](const Request&) {
        if (++visits == 1)
            return Html("gbk", TwoForms("gbk", "a"));
        return c.again;
    });
    Open("/lost/form.html", CaptureMode::LoginCapturePage);
    Click(kPublish);
    ASSERT_TRUE(WaitForPost(server_.Url("/lost/save.asp")));
    const std::optional<CapturedSubmission> s = PageBrowser().LastSubmission();
    ASSERT_TRUE(s && s->form);
    const qsizetype navigationsBefore = navigations_.size();

    const auto reloaded = Reload(*s->form);
    ASSERT_TRUE(reloaded->answer);
    ASSERT_FALSE(reloaded->answer->ok()) << "answered for a page that is not the form's";
    const OperatorError& e = reloaded->answer->error();
    EXPECT_EQ(e.kind, ErrorKind::NotChecked);
    EXPECT_TRUE(e.message.contains(QString::fromUtf8(c.said)) && e.message.contains(u"无法检查"))
        << e.message.toStdString();
    EXPECT_EQ(navigations_.size(), navigationsBefore) << "the view is not the hidden page";
    EXPECT_EQ(visits, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LostForm,
    testing::Values(
        LostCase{"script leaves for the login page",
                 Html("gbk", TwoForms("gbk", "b") + "<script>location.replace('/login.html')</script>"),
                 "转到了别的地址"},
        LostCase{"server redirects", Redirect("/login.html"), "转到了别的地址"},
        LostCase{"form posts elsewhere now", Html("gbk", TwoForms("gbk", "b", "/other.asp")), "找不到原来的表单"}),
    [](const auto& info) { return std::to_string(info.index); });

// --- what is never sent, and a replay given up ---------------------------------------------

TEST_F(Replay, RefusedWithoutARequestAndCancelled)
{
    int posts = 0;
    server_.Handle("/hold/save.asp", [&](const Request&) {
        Response r = Html("utf-8", u"<p>ok</p>"_qs);
        r.hold = ++posts > 1; // only the operator's is answered
        return r;
    });
    server_.ServeHtml("/hold/form.html", "utf-8", TwoForms("utf-8", "x", "/hold/save.asp"));
    Open("/hold/form.html", CaptureMode::PublishCapturePage);
    Click(kPublish);
    const QString action = server_.Url("/hold/save.asp");
    ASSERT_TRUE(WaitForPost(action));
    ASSERT_TRUE(server_.WaitFor("POST", "/hold/save.asp"));
    const CapturedSubmission s = *PageBrowser().LastSubmission();
    // The view asks for its icon whenever it likes.
    const auto requests = [this] {
        return std::count_if(server_.Requests().begin(), server_.Requests().end(),
                             [](const Request& q) { return q.Path() != "/favicon.ico"; });
    };
    const auto requestsBefore = requests();

    struct Refusal {
        ReplayRequest request;
        const char* said;
    };
    const QString port = QString::number(server_.Port());
    const std::vector<Refusal> refusals{
        {{"ftp://127.0.0.1:" + port + "/hold/save.asp", s.body, s.contentType}, "http 或 https"},
        {{"file:///etc/passwd", s.body, s.contentType}, "http 或 https"},
        {{"javascript:alert(1)", s.body, s.contentType}, "http 或 https"},
        {{server_.Url("/never/posted.asp"), s.body, s.contentType}, "本次提交过"},
        {{action, s.body, "text/plain\r\nX-Injected: 1"}, "类型"},
    };
    for (const Refusal& r : refusals) {
        const auto answered = Send(r.request);
        SCOPED_TRACE(r.request.action.toStdString());
        ASSERT_TRUE(answered->answer);
        EXPECT_FALSE(answered->early);
        ASSERT_FALSE(answered->answer->ok());
        EXPECT_EQ(answered->answer->error().kind, ErrorKind::Refused);
        EXPECT_TRUE(answered->answer->error().message.contains(QString::fromUtf8(r.said)))
            << answered->answer->error().message.toStdString();
    }
    for (const FormPlace& place : {FormPlace{"file:///etc/passwd", 0, action},
                                   FormPlace{server_.Url("/never/shown.html"), 0, action}}) {
        const auto answered = Reload(place);
        ASSERT_TRUE(answered->answer);
        ASSERT_FALSE(answered->answer->ok());
        EXPECT_EQ(answered->answer->error().kind, ErrorKind::Refused);
    }
    EXPECT_EQ(requests(), requestsBefore) << "nothing was requested";

    // A replay the site holds: cancelled, it never answers.
    bool answered = false;
    const int id = PageBrowser().Replay(Again(s), [&answered](Result<ReplayResponse>) { answered = true; });
    ASSERT_TRUE(WaitFor([&] { return posts == 2; }));
    PageBrowser().Cancel(id);
    PageBrowser().Cancel(id);
    EXPECT_FALSE(WaitUntil([&] { return answered; }, 1000));
    // One more left waiting: the browser goes with it when the test ends.
    PageBrowser().Replay(Again(s), [](Result<ReplayResponse>) { ADD_FAILURE() << "answered after the end"; });
    ASSERT_TRUE(WaitFor([&] { return posts == 3; }));
}

} // namespace
} // namespace e2e
