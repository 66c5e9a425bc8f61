// Drives sitecapture-probe as a process over its JSON-lines protocol.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

QList<QByteArray> AskRaw(const QList<QByteArray>& lines)
{
    QProcess probe;
    probe.start(SITECAPTURE_PROBE_PATH, {});
    EXPECT_TRUE(probe.waitForStarted(10000));
    for (const QByteArray& l : lines)
        probe.write(l + "\n");
    probe.closeWriteChannel();
    EXPECT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitCode(), 0);
    QList<QByteArray> answers = probe.readAllStandardOutput().split('\n');
    answers.removeAll(QByteArray());
    return answers;
}

QList<QJsonObject> Ask(const QList<QByteArray>& lines)
{
    QList<QJsonObject> answers;
    for (const QByteArray& l : AskRaw(lines))
        answers << QJsonDocument::fromJson(l).object();
    return answers;
}

TEST(Probe, AnswersEveryOpOneLineEach)
{
    const QList<QJsonObject> a = Ask({
        R"({"op":"urldecode","text":"%D6%D0%CE%C4+a%C8A"})",
        R"({"op":"template","data":"fullname=x&name=x","fields":[["name","x","/zconne/"]]})",
        R"({"op":"label","markup":"<TABLE><TBODY><TR><TD>公司名称:</TD><TD><INPUT name=comp value=test...></TD></TR>"})",
        R"({"op":"label","markup":"x<tr><td>手机:</td><td><input value=test...>"})",
        R"({"op":"label","markup":"<p>none</p>"})",
        R"({"op":"strip_http","text":"HTTP://a.cn/x?u=http://b"})",
        R"({"op":"login_http","text":"https://a.cn/login"})",
        R"({"op":"login_http","text":"a.cn/login"})",
        R"({"op":"nosuch"})",
        R"(not json)",
        R"({"op":"urldecode","text":5})",
        R"({"op":"template","data":"a=1","fields":[["a","1"]]})",
        R"({"op":"urldecode","text":"%41%42"})",
    });
    ASSERT_EQ(a.size(), 13);
    EXPECT_EQ(a[0]["result"].toString(), u"中文 a華"_qs);
    EXPECT_EQ(a[1]["result"].toString(), "fullname=x&name=/zconne/");
    EXPECT_EQ(a[2]["window"].toString(), u"R><TD>公司名称"_qs);
    EXPECT_EQ(a[2]["label"].toString(), u"公司名称"_qs);
    EXPECT_EQ(a[3]["label"].toString(), u"手机"_qs);
    EXPECT_TRUE(a[4]["label"].isNull());
    EXPECT_EQ(a[4]["window"].toString(), "");
    EXPECT_EQ(a[5]["result"].toString(), "a.cn/x?u=http://b");
    EXPECT_EQ(a[6]["result"].toString(), "https://a.cn/login");
    EXPECT_EQ(a[7]["result"].toString(), "http://a.cn/login");
    for (int i : {8, 9, 10, 11})
        EXPECT_TRUE(a[i].contains("error")) << i;
    EXPECT_EQ(a[12]["result"].toString(), "AB") << "the tool goes on after errors";
}

// One finding as "form/kind/severity: fields".
QStringList Findings(const QByteArray& answer)
{
    QStringList out;
    for (const QJsonValue& f : QJsonDocument::fromJson(answer)["findings"].toArray()) {
        QStringList fields;
        for (const QJsonValue& v : f["fields"].toArray())
            fields << v.toString();
        out << QStringLiteral("%1/%2/%3: %4")
                   .arg(f["form"].toString(), f["kind"].toString(), f["severity"].toString(),
                        fields.join(u','));
        EXPECT_FALSE(f["message"].toString().isEmpty()) << answer.toStdString();
    }
    return out;
}

TEST(Probe, CheckOpAnswersFindingsAndSurvivesMalformedInput)
{
    const QList<QByteArray> a = AskRaw({
        // one request, on one line
        R"({"op":"check","editing_id":7,"unknown":[1],)"
        R"("login":{"action":"http://www.b2b.cn/login","template":"user=测试&pw=x","success":"欢迎",)"
        R"("fields":[{"name":"user","type":"text","value":"测试","typed":true},)"
        R"({"name":"yzm","caption":"验证码","reloaded":null},)"
        R"({"name":"sid","type":"hidden","value":"1","reloaded":"2"}]},)"
        R"("publish":{"action":"http://www.b2b.cn/post","template":"标题=测试&价格=/zprice/","success":" < ",)"
        R"("fields":[{"name":"标题","value":"测试","typed":true},)"
        R"({"name":"价格","type":"number","value":"15","typed":true}]},)"
        R"("mapped":[["标题","测试","/ztitle/"],["价格","12","/zprice/"]],)"
        R"("site":{"asp":"http://www.b2b.cn/","xxfburl":null},)"
        R"("stored":[{"id":7,"name":"本站","asp":"b2b.cn"},{"id":3,"name":"旧站","xxfburl":"HTTP://B2B.CN/p"},)"
        R"({"id":4,"name":"别站","asp":"c.cn"}]})",
        R"({"op":"check","login":"x"})",
        R"({"op":"check","publish":{"fields":[null]}})",
        R"({"op":"check","publish":{"fields":[{"typed":"yes"}]}})",
        R"({"op":"check","mapped":[["a","b"]]})",
        R"({"op":"check","stored":[{"name":"no id"}]})",
        R"({"op":"check","stored":[{"id":"1"}]})",
        R"({"op":"check","editing_id":1.5})",
        R"({"op":"check","login":null,"publish":{"action":"http://a.cn/p","success":null}})",
    });
    ASSERT_EQ(a.size(), 9);
    EXPECT_EQ(Findings(a[0]), (QStringList{u"login/per_visit/problem: sid"_qs,
                                           u"login/captcha/problem: yzm"_qs,
                                           u"publish/verbatim/warning: 标题"_qs,
                                           u"publish/lost_mapping/problem: 标题"_qs,
                                           u"publish/no_success/warning: "_qs,
                                           u"site/duplicate/warning: 3"_qs}));
    // Keys in the documented order.
    EXPECT_TRUE(a[0].startsWith(R"({"findings":[{"kind":"per_visit","form":"login","severity":"problem","fields":["sid"],"message":")"))
        << a[0].toStdString();
    for (int i = 1; i <= 7; ++i)
        EXPECT_TRUE(QJsonDocument::fromJson(a[i]).object().contains("error")) << a[i].toStdString();
    EXPECT_EQ(Findings(a[8]), QStringList{u"publish/no_success/warning: "_qs})
        << "the probe goes on after malformed input";
}

TEST(Probe, ProposeAndFillOpsAnswerWhatTheWizardDoes)
{
    const QList<QJsonObject> a = Ask({
        R"({"op":"propose","markup":"<TABLE><TR><TD>联系电话:</TD><TD><INPUT name=tel value=test...>"})",
        R"({"op":"propose","markup":"<div><label>联系人</label><input name=a><br>邮箱：<input name=m value=test...></div>",)"
        R"("field":{"tag":"INPUT","name":"m","label":null}})",
        R"({"op":"propose","field":{"name":"yzm","before":"验证码："}})",
        R"({"op":"propose","field":{"placeholder":5}})",
        R"({"op":"fill","label":"电话","charset":"GBK","n":2})",
        R"({"op":"fill","label":"主题"})",
        R"({"op":"fill","label":"主题","charset":"UTF-8","max_length":6})",
        R"({"op":"fill","label":"手机"})",
        R"({"op":"fill","label":"电话","n":0})",
    });
    ASSERT_EQ(a.size(), 9);
    EXPECT_EQ(a[0], (QJsonObject{{"label", u"电话"_qs}, {"source", "rule"}, {"why", a[0]["why"]}}));
    EXPECT_TRUE(a[0]["why"].toString().contains(u"规则6"));
    EXPECT_EQ(a[1]["label"].toString(), u"电子邮件"_qs) << "the text before the field, read from the markup";
    EXPECT_EQ(a[1]["source"].toString(), "text");
    EXPECT_TRUE(a[2]["label"].isNull());
    EXPECT_TRUE(a[2]["source"].isNull());
    EXPECT_TRUE(a[2]["why"].toString().contains(u"验证码"));
    EXPECT_TRUE(a[3].contains("error"));
    EXPECT_EQ(a[4]["value"].toString(), "13800130002");
    EXPECT_TRUE(a[5]["value"].toString().contains(u"测试")) << "GBK when no charset is given";
    EXPECT_LE(a[6]["value"].toString().size(), 6);
    EXPECT_TRUE(a[7].contains("error")) << "no placeholder label";
    EXPECT_TRUE(a[8].contains("error"));
}

} // namespace
