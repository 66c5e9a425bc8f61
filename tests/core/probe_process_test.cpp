// Drives sitecapture-probe as a process over its JSON-lines protocol.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

QList<QJsonObject> Ask(const QList<QByteArray>& lines)
{
    QProcess probe;
    probe.start(SITECAPTURE_PROBE_PATH, {});
    EXPECT_TRUE(probe.waitForStarted(10000));
    for (const QByteArray& l : lines)
        probe.write(l + "\n");
    probe.closeWriteChannel();
    EXPECT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitCode(), 0);
    QList<QJsonObject> answers;
    for (const QByteArray& l : probe.readAllStandardOutput().split('\n'))
        if (!l.isEmpty())
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

} // namespace
