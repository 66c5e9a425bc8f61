// The checks run on the report page, over captures whose templates are made by the real
// capture path from GBK form bodies.

#include "capture/capture_checks.h"
#include "capture/form_encoding.h"
#include "capture/submission_capture.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sitecapture;

namespace {

CheckedField Field(const QString& type, const QString& name, const QString& value = {})
{
    CheckedField f;
    f.type = type;
    f.name = name;
    f.value = value;
    return f;
}

CheckedField Typed(CheckedField f)
{
    f.typed = true;
    return f;
}

CheckedField Reloaded(CheckedField f, const QString& reloaded)
{
    f.reloaded = reloaded;
    return f;
}

CheckedField Readonly(CheckedField f)
{
    f.readonly = true;
    return f;
}

// Nothing to report: typed login fields stay as typed, mapped publish fields are templated,
// the stored site with this host is the one being edited.
CheckInput CleanCapture()
{
    CheckInput in;
    in.login.action = u"http://www.b2b.cn/login.asp"_qs;
    in.login.success = u"欢迎您"_qs;
    in.login.fields = {
        Typed(Field(u"text"_qs, u"用户名"_qs, u"测试员"_qs)),
        Typed(Field(u"password"_qs, u"密码"_qs, u"abc123"_qs)),
        Reloaded(Field(u"hidden"_qs, u"sid"_qs, u"s1"_qs), u"s1"_qs),
        Field(u"text"_qs, QString(), u"a&b"_qs),
    };
    in.publish.action = u"http://www.b2b.cn/post.asp"_qs;
    in.publish.success = u"发布成功"_qs;
    in.publish.fields = {
        Typed(Field(u"text"_qs, u"标题"_qs, u"测试标题"_qs)),
        Typed(Field(u"number"_qs, u"价格"_qs, u"12"_qs)),
        Typed(Field(u"textarea"_qs, u"内容"_qs, u"这是测试内容"_qs)),
        Reloaded(Readonly(Field(u"text"_qs, u"联系人"_qs, u"张三"_qs)), u"张三"_qs),
        Field(u"select"_qs, u"类别"_qs, u"3"_qs),
        Reloaded(Field(u"hidden"_qs, u"token"_qs, u"t1"_qs), u"t1"_qs),
        Field(u"submit"_qs, u"ok"_qs, u"发布"_qs),
    };
    in.mapped = {{u"标题"_qs, u"测试标题"_qs, u"/ztitle/"_qs},
                 {u"价格"_qs, u"12"_qs, u"/zprice/"_qs},
                 {u"内容"_qs, u"这是测试内容"_qs, u"/zcont/"_qs}};
    in.asp = u"http://www.b2b.cn/"_qs;
    in.xxfburl = u"http://www.b2b.cn/post.asp"_qs;
    in.stored = {{7, u"本站"_qs, u"http://b2b.cn"_qs, u"http://b2b.cn/post.asp"_qs},
                 {3, u"别的网"_qs, u"http://other.cn"_qs, u"http://www.b2b.cn.other.cn/p"_qs}};
    in.editingId = 7;
    return in;
}

// A form's template as the wizard captures it: its named fields sent as a GBK body,
// decoded and templated with the mapped fields. A template set by the case is kept.
void CaptureTemplate(CheckedForm& form, CaptureMode mode, const CheckInput& in)
{
    if (!form.templateData.isEmpty() || form.action.trimmed().isEmpty())
        return;
    QList<FormEntry> entries;
    for (const CheckedField& f : form.fields)
        if (!f.name.isEmpty()) {
            FormEntry e;
            e.name = f.name;
            e.value = f.value;
            entries.append(e);
        }
    const QByteArray body =
        EncodeFormBody(entries, FormEnctype::UrlEncoded, FormCharset(u"gbk"));
    FieldMap map;
    for (const auto& m : in.mapped)
        map.AddEntry(m[0], m[1], m[2]);
    CaptureSet set;
    ASSERT_TRUE(CaptureSubmission(mode, form.action, body, map, set));
    form.templateData = mode == CaptureMode::LoginCapturePage ? set.loginData : set.publishData;
}

QString Describe(const Finding& f)
{
    return QStringLiteral("%1/%2/%3: %4")
        .arg(QLatin1String(CheckedFormName(f.form)), QLatin1String(CheckKindName(f.kind)),
             QLatin1String(SeverityName(f.severity)), f.fields.join(u','));
}

struct CheckCase {
    const char* what;
    std::function<void(CheckInput&)> change;
    QStringList expected; // as Describe writes them, in the order they must come
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << c.what;
}

class CaptureChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(CaptureChecks, FindExactlyWhatIsWrong)
{
    const CheckCase& c = GetParam();
    CheckInput in = CleanCapture();
    c.change(in);
    CaptureTemplate(in.login, CaptureMode::LoginCapturePage, in);
    CaptureTemplate(in.publish, CaptureMode::PublishCapturePage, in);

    const std::vector<Finding> findings = RunCaptureChecks(in);
    QStringList got;
    for (const Finding& f : findings)
        got.append(Describe(f));
    EXPECT_EQ(got, c.expected) << c.what << "\nlogin: " << in.login.templateData.toStdString()
                               << "\npublish: " << in.publish.templateData.toStdString();

    // The sentence names what it is about, so the operator can act on it.
    for (const Finding& f : findings) {
        EXPECT_FALSE(f.message.isEmpty()) << Describe(f).toStdString();
        if (f.kind == CheckKind::NoSuccess) {
            EXPECT_TRUE(f.message.contains(u"成功后返回的代码"_qs)) << f.message.toStdString();
        }
        for (const QString& field : f.fields) {
            QString named = field;
            if (f.kind == CheckKind::Duplicate)
                for (const StoredSite& s : in.stored)
                    if (QString::number(s.id) == field)
                        named = s.name;
            EXPECT_TRUE(f.message.contains(named))
                << Describe(f).toStdString() << " does not name " << named.toStdString() << ": "
                << f.message.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CaptureChecks,
    testing::Values(
        CheckCase{"a clean capture", [](CheckInput&) {}, {}},

        CheckCase{"per_visit: hidden fields, read-only text inputs and text areas that changed",
                  [](CheckInput& in) {
                      in.login.fields[2].reloaded = u"s2"_qs;
                      in.publish.fields[3].reloaded = u"李四"_qs;
                      auto& f = in.publish.fields;
                      f.push_back(Reloaded(Field(u"HIDDEN"_qs, u"ts"_qs, u"1"_qs), u"2"_qs));
                      f.push_back(Reloaded(Field(u"hidden"_qs, u"ts"_qs, u"1"_qs), u"3"_qs));
                      f.push_back(Reloaded(Readonly(Field(u"textarea"_qs, u"说明"_qs, u"a"_qs)), u"b"_qs));
                      // read-only counts for text inputs and text areas only
                      f.push_back(Reloaded(Readonly(Field(u"checkbox"_qs, u"agree"_qs, u"1"_qs)), u"0"_qs));
                      f.push_back(Reloaded(Readonly(Field(u"password"_qs, u"pw"_qs, u"x"_qs)), u"y"_qs));
                      f.push_back(Reloaded(Readonly(Field(u"select"_qs, u"sel"_qs, u"1"_qs)), u"2"_qs));
                      f.push_back(Reloaded(Field(u"text"_qs, u"plain"_qs, u"1"_qs), u"2"_qs));
                      f.push_back(Field(u"hidden"_qs, u"notreloaded"_qs, u"1"_qs));
                      f.push_back(Reloaded(Field(u"hidden"_qs, QString(), u"1"_qs), u"2"_qs));
                  },
                  {u"login/per_visit/problem: sid"_qs,
                   u"publish/per_visit/problem: 联系人,ts,说明"_qs,
                   u"publish/ambiguous/warning: ts"_qs}},

        CheckCase{"captcha: text inputs by name, id, caption or image, as text",
                  [](CheckInput& in) {
                      in.login.fields.push_back(Field(u"EMAIL"_qs, u"authcode"_qs));
                      auto& f = in.publish.fields;
                      f.push_back(Field(u"text"_qs, u"yzm"_qs));
                      CheckedField byId = Field(QString(), u"code1"_qs);
                      byId.id = u"imgCheckCode"_qs;
                      f.push_back(byId);
                      CheckedField byCaption = Field(u"Search"_qs, u"code2"_qs);
                      byCaption.caption = u"请输入验证码："_qs;
                      f.push_back(byCaption);
                      CheckedField byImage = Field(u"datetime"_qs, u"code3"_qs); // a type the engine does not know
                      byImage.imageNear = u"http://www.b2b.cn/ValidateCode.aspx?r=1"_qs;
                      f.push_back(byImage);
                      CheckedField wide = Field(u"TEL"_qs, u"code4"_qs);
                      wide.caption = u"ＶＣＯＤＥ"_qs;
                      f.push_back(wide);
                      f.push_back(Field(u"textarea"_qs, u"captcha"_qs));
                      f.push_back(Field(u"hidden"_qs, u"vcode"_qs));
                      // not text inputs, or nameless
                      for (CheckedField other : {Field(u"password"_qs, u"pw"_qs),
                                                 Field(u"checkbox"_qs, u"cb"_qs),
                                                 Field(u"text"_qs, QString())}) {
                          other.caption = u"验证码"_qs;
                          f.push_back(other);
                      }
                  },
                  {u"login/captcha/problem: authcode"_qs,
                   u"publish/captcha/problem: yzm,code1,code2,code3,code4"_qs}},

        CheckCase{"verbatim: typed publish text still standing as a whole pair, as text",
                  [](CheckInput& in) {
                      auto& f = in.publish.fields;
                      f[3] = Typed(Field(u"text"_qs, u"联系人"_qs, u"张三"_qs));
                      f.push_back(Typed(Field(u"textarea"_qs, u"备注"_qs, u"abc"_qs)));
                      f.push_back(Typed(Field(u"text"_qs, u"备注2"_qs, u"q"_qs)));
                      f.push_back(Typed(Field(u"text"_qs, u"空"_qs)));
                      f.push_back(Typed(Field(u"checkbox"_qs, u"选"_qs, u"1"_qs)));
                      f.push_back(Field(u"text"_qs, u"未改"_qs, u"v"_qs));
                      in.publish.templateData =
                          u"标题=/ztitle/&价格=/zprice/&内容=/zcont/&联系人=张三&类别=3&token=t1"
                          u"&ok=发布&备注=ＡＢＣ&x备注2=q&备注2=qq&空=&选=1&未改=v"_qs;
                  },
                  {u"publish/verbatim/warning: 联系人,备注"_qs}},

        CheckCase{"lost_mapping: a mapped value edited after it was mapped",
                  [](CheckInput& in) {
                      in.publish.fields[1].value = u"15"_qs;
                      in.mapped.push_back({u"不在表单"_qs, u"x"_qs, u"/zcomp/"_qs});
                      in.mapped.push_back({u"类别"_qs, u"3"_qs, QString()});
                  },
                  {u"publish/verbatim/warning: 价格"_qs, u"publish/lost_mapping/problem: 价格"_qs}},

        CheckCase{"lost_mapping: the token found as text",
                  [](CheckInput& in) {
                      in.publish.templateData =
                          u"标题=/ZTITLE/&价格=/zprice/&内容=／ｚｃｏｎｔ／&联系人=张三"_qs;
                  },
                  {}},

        CheckCase{"ambiguous: ASCII & or = in a value, or a name twice among the text kinds",
                  [](CheckInput& in) {
                      in.login.fields[1].value = u"pa&ss"_qs;
                      auto& f = in.publish.fields;
                      f.push_back(Field(u"text"_qs, u"a"_qs, u"x=1"_qs));
                      f.push_back(Field(u"hidden"_qs, u"b"_qs, u"p&q"_qs));
                      f.push_back(Field(u"text"_qs, u"c"_qs, u"Ａ＆Ｂ＝"_qs));
                      f.push_back(Field(u"text"_qs, u"d=e"_qs, u"v"_qs));
                      f.push_back(Field(u"password"_qs, u"e"_qs, u"1"_qs));
                      f.push_back(Field(u"textarea"_qs, u"e"_qs, u"2"_qs));
                      f.push_back(Field(u"text"_qs, u"f"_qs));
                      f.push_back(Field(u"checkbox"_qs, u"f"_qs, u"1"_qs));
                      f.push_back(Field(u"select"_qs, u"g"_qs, u"a=b"_qs));
                      f.push_back(Field(u"text"_qs, u"E"_qs, u"3"_qs));
                  },
                  {u"login/ambiguous/warning: 密码"_qs, u"publish/ambiguous/warning: a,b,e"_qs}},

        CheckCase{"no_success: nothing but blanks or the box's '<'",
                  [](CheckInput& in) {
                      in.login.success = u" < "_qs;
                      in.publish.success = u"\t\r\n"_qs;
                  },
                  {u"login/no_success/warning: "_qs, u"publish/no_success/warning: "_qs}},

        CheckCase{"no_success: a success text beyond '<'",
                  [](CheckInput& in) {
                      in.login.success = u"<<"_qs;
                      in.publish.success = u"< 成功"_qs;
                  },
                  {}},

        CheckCase{"forms not captured have no findings; duplicate still fires",
                  [](CheckInput& in) {
                      in.login.action = u"  "_qs;
                      in.login.success.clear();
                      in.login.fields.push_back(Field(u"text"_qs, u"yzm"_qs));
                      in.publish.action.clear();
                      in.publish.success.clear();
                      in.stored.push_back({4, u"旧站"_qs, u" HTTPS://B2B.CN:8080/index"_qs, QString()});
                  },
                  {u"site/duplicate/warning: 4"_qs}},

        CheckCase{"duplicate: either address, the edited site skipped, ids in stored order",
                  [](CheckInput& in) {
                      in.asp = u"  "_qs; // only the publish address is left to compare
                      in.stored.push_back({9, u"甲"_qs, QString(), u"ftp://www.B2B.cn?x=1"_qs});
                      in.stored.push_back({6, u"丙"_qs, u"http://www.www.b2b.cn"_qs, QString()});
                      in.stored.push_back({8, u"丁"_qs, u"other.cn/?u=http://b2b.cn"_qs, QString()});
                      in.stored.push_back({2, u"戊"_qs, u"http://b2b.cn.evil.com"_qs, QString()});
                      in.stored.push_back({5, u"乙"_qs, u"ｂ２ｂ.cn/"_qs, QString()});
                  },
                  {u"site/duplicate/warning: 9,5"_qs}},

        CheckCase{"duplicate: empty hosts never match",
                  [](CheckInput& in) {
                      in.asp = u"http://www./"_qs;
                      in.xxfburl.clear();
                      in.stored.push_back({11, u"空"_qs, u"www."_qs, u"http:///x"_qs});
                  },
                  {}}),
    [](const testing::TestParamInfo<CheckCase>& info) { return "case" + std::to_string(info.index); });

struct HostCase {
    const char16_t* address;
    const char16_t* host;
};

void PrintTo(const HostCase& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.address).toStdString();
}

class HostOfAddressCases : public testing::TestWithParam<HostCase> {};

TEST_P(HostOfAddressCases, TakesTheHostAsTheDuplicateCheckComparesIt)
{
    EXPECT_EQ(HostOfAddress(QString::fromUtf16(GetParam().address)),
              QString::fromUtf16(GetParam().host));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, HostOfAddressCases,
    testing::Values(HostCase{u"http://www.B2B.cn/post.asp", u"b2b.cn"},
                    HostCase{u" \thttps://b2b.cn:8080/x ", u"b2b.cn"},
                    HostCase{u"b2b.cn?u=http://other.cn", u"b2b.cn"},
                    HostCase{u"www.b2b.cn#top", u"b2b.cn"},
                    HostCase{u"ＷＷＷ.ｂ２ｂ.cn", u"b2b.cn"},
                    HostCase{u"www.www.b2b.cn", u"www.b2b.cn"},
                    HostCase{u"svn+ssh://www.b2b.cn/r", u"b2b.cn"},
                    HostCase{u"HTTP://中文.cn/", u"中文.cn"},
                    HostCase{u"b2b.cn/http://other.cn", u"b2b.cn"},
                    HostCase{u"http://www.", u""},
                    HostCase{u"http://", u""},
                    HostCase{u"", u""}));

} // namespace
