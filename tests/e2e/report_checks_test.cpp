// The report page's checks and replay in the wizard, against sites of the test server: a form
// with a token good for one visit, a verification code, a clean form, a site already stored,
// and a value changed after its placeholder was chosen.

#include "e2e_support.h"

#include "capture/capture_checks.h"
#include "controls/xpcmdbutton/xpcmdbutton.h"
#include "wizard/report_checks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

using namespace sitecapture;

namespace e2e {
namespace {

struct ChecksCase {
    const char* what;
    QString extraRow;    // markup of a row after title and phone
    QString script;      // page script
    bool perVisitToken;  // a new token at every visit, each accepted once
    bool storedTwin;     // a site with the same host is stored already
    std::vector<CheckKind> kinds; // the publish form's and the site's findings, in order
    std::optional<bool> replaySucceeds; // replayed when set
};

void PrintTo(const ChecksCase& c, std::ostream* os)
{
    *os << c.what;
}

const std::vector<Row> kRows{
    {u"信息标题:"_qs, R"(<input name="title">)"},
    {u"联系电话:"_qs, R"(<input name="tel">)"},
};

class ReportChecksFlow : public HarnessTest, public testing::WithParamInterface<ChecksCase> {
protected:
    ReportChecks& Checks() { return Window().Wizard().Checks(); }

    // Presses a button of the report page; a confirmation that comes up is answered with OK.
    void Press(const char* name)
    {
        QTimer confirm;
        confirm.setInterval(10);
        QObject::connect(&confirm, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        confirm.start();
        auto* button = Window().Wizard().findChild<xpcmdbutton*>(QString::fromLatin1(name));
        ASSERT_TRUE(button && button->Enabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    }
};

TEST_P(ReportChecksFlow, FindsWhatWouldFailAndReplays)
{
    const ChecksCase& c = GetParam();
    int visits = 0;
    QSet<QByteArray> issued;
    QSet<QByteArray> used;
    std::vector<Row> rows = kRows;
    if (!c.extraRow.isEmpty())
        rows.push_back({u"验证码:"_qs, c.extraRow});
    server_.Handle("/ck/form.html", [&](const Request&) {
        ++visits;
        const QByteArray token = c.perVisitToken ? "T" + QByteArray::number(visits) : "fixed";
        issued.insert(token);
        std::vector<Row> page = rows;
        page.push_back({QString(), u"<input type=\"hidden\" name=\"token\" value=\""_qs + QString::fromLatin1(token)
                                       + u"\"><input type=\"submit\" name=\"ok\" value=\"发布\">"_qs});
        Response r;
        r.contentType = "text/html; charset=gbk";
        r.body = AsciiHtml(FormPage("gbk", R"(method="post" action="/ck/save.asp")", page, c.script)).toLatin1();
        return r;
    });
    QList<QByteArray> bodies;
    server_.Handle("/ck/save.asp", [&](const Request& r) {
        bodies << r.body;
        const QByteArray token = QUrlQuery(QString::fromLatin1(r.body)).queryItemValue("token").toLatin1();
        Response answer;
        answer.contentType = "text/html; charset=gbk";
        if (!issued.contains(token) || (c.perVisitToken && used.contains(token))) {
            answer.status = 403;
            answer.body = AsciiHtml(u"<p>令牌已失效</p>"_qs).toLatin1();
        } else {
            used.insert(token);
            answer.body = AsciiHtml(u"<p>发布成功</p>"_qs).toLatin1();
        }
        return answer;
    });
    if (c.storedTwin) {
        SiteTexts twin;
        twin.name = u"同一网站"_qs;
        twin.publishPageUrl = "http://127.0.0.1:1/old/post.asp";
        ASSERT_TRUE(SaveSite(Window().Database(), 0, twin).ok());
    }

    Open("/ck/form.html", CaptureMode::PublishCapturePage);
    Visit(ControlAt(rows, 0), "title");
    ASSERT_EQ(Combo1(), u"主题"_qs);
    Type(u"钢管"_qs);
    Visit(ControlAt(rows, 1), "tel");
    ASSERT_EQ(Combo1(), u"电话"_qs);
    Type("0101");
    ASSERT_TRUE(WaitFor([&] { return Text3() == "0101"; }));
    Key(Qt::Key_Return);
    ASSERT_TRUE(WaitForPost(server_.Url("/ck/save.asp")));
    Panel().Text7()->setText(u"发布成功"_qs);

    Window().Wizard().NextStep();
    ASSERT_EQ(Window().Wizard().Session().captureMode, CaptureMode::ReportPage);
    ASSERT_TRUE(WaitFor([&] { return !Checks().Checking(); }));
    std::vector<CheckKind> kinds;
    for (const Finding& f : Checks().Findings())
        kinds.push_back(f.kind);
    EXPECT_EQ(kinds, c.kinds);
    auto* summary = Window().Wizard().findChild<QLabel*>("ChecksSummary");
    EXPECT_EQ(summary->isVisible(), !c.kinds.empty()) << summary->text().toStdString();
    if (c.kinds == std::vector<CheckKind>{CheckKind::Captcha}) {
        // Pictures for people: the report page with its finding, and the finding opened.
        Window().Wizard().grab().save(QStringLiteral("report_checks.png"));
        Press("ChecksDetails");
        auto* details = Window().Wizard().findChild<QWidget*>("ChecksDialog");
        ASSERT_TRUE(details && WaitFor([&] { return details->isVisible(); }));
        details->grab().save(QStringLiteral("report_checks_details.png"));
    }

    if (!c.replaySucceeds)
        return;
    const qsizetype sent = bodies.size();
    QString verdict;
    QObject::connect(&Checks(), &ReportChecks::Status, [&](const QString& text) { verdict = text; });
    Press("ReplayPublish");
    ASSERT_TRUE(WaitFor([&] { return verdict.contains(u"成功代码"_qs); }, 40000)) << verdict.toStdString();
    EXPECT_EQ(verdict.contains(u"含有成功代码"_qs), *c.replaySucceeds) << verdict.toStdString();
    ASSERT_EQ(bodies.size(), sent + 1);
    EXPECT_EQ(bodies.back(), bodies[sent - 1]) << "the same bytes once more";
    EXPECT_EQ(Window().Status().currentMessage(), verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Sites, ReportChecksFlow,
    testing::Values(
        ChecksCase{"clean form", {}, {}, false, false, {}, true},
        ChecksCase{"token for one visit", {}, {}, true, false, {CheckKind::PerVisit}, false},
        ChecksCase{"verification code", R"(<input name="yzm"><img src="/ck/code.gif">)", {}, false, false,
                   {CheckKind::Captcha}, std::nullopt},
        ChecksCase{"site stored already", {}, {}, false, true, {CheckKind::Duplicate}, std::nullopt},
        // The page rewrites the title as it sends it: the placeholder no longer finds its pair.
        ChecksCase{"value changed after its placeholder",
                   {},
                   u"<script>document.forms[0].addEventListener('submit', function () {"
                   " this.title.value += '!'; });</script>"_qs,
                   false, false, {CheckKind::Verbatim, CheckKind::LostMapping}, std::nullopt}),
    [](const testing::TestParamInfo<ChecksCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

} // namespace
} // namespace e2e
