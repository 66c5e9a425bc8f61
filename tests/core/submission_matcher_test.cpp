// Bodies the page reports paired with the engine's own requests, by address in one spelling.

#include "capture/submission_matcher.h"

#include <gtest/gtest.h>

using namespace sitecapture;

namespace {

TEST(SubmissionMatcher, PairsTheEnginesPostFormRequestsInEitherOrder)
{
    const QUrl action("http://127.0.0.1:8080/post.asp?a=1");
    const auto post = [](SubmissionMatcher& m, const QUrl& url, qint64 at) {
        return m.Requested(url, true, "POST", at);
    };
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/other"), 5));
        EXPECT_EQ(post(m, QUrl("http://127.0.0.1:8080/post.asp?a=1#top"), 10), "x=1");
        EXPECT_FALSE(post(m, action, 20)) << "a body is used once";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(post(m, action, 0));
        EXPECT_EQ(m.Submitted(action, "x=1", 100), action) << "the body came after its request";
        EXPECT_FALSE(m.Submitted(action, "x=2", 200)) << "that request is used once";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Requested(action, false, "POST", 0)) << "a link is no form's request";
        EXPECT_FALSE(m.Requested(action, true, "GET", 5)) << "nor is a GET form's";
        EXPECT_FALSE(m.Submitted(action, "x=1", 10)) << "neither waits for a body";
        EXPECT_FALSE(m.Requested(action, false, "POST", 20));
        EXPECT_FALSE(m.Requested(action, true, "GET", 25)) << "nor takes the waiting one";
        EXPECT_EQ(m.Requested(action, true, "post", 30), "x=1");
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(post(m, action, SubmissionMatcher::kWaitMs + 1))
            << "a submission that never went (prevented, or made up by the page) expires";
    }
    {
        SubmissionMatcher m;
        EXPECT_FALSE(m.Submitted(action, "x=1", 0));
        EXPECT_FALSE(m.Submitted(action, "x=2", 1));
        EXPECT_EQ(post(m, action, 2), "x=2") << "the last submission wins";
        EXPECT_FALSE(post(m, action, 3)) << "and the one it replaced is gone";
    }
    {
        // The script spelt the query in UTF-8, the engine in GBK: the only body waiting for
        // that path is still the request's, under the engine's address.
        SubmissionMatcher m;
        const QUrl engine("http://127.0.0.1:8080/t3?type=%B9%A9%D3%A6");
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?type=%E4%BE%9B%E5%BA%94"), "a=1", 0));
        EXPECT_EQ(post(m, engine, 1), "a=1");
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/t3?x=1"), 2));
        EXPECT_EQ(m.Submitted(QUrl("http://127.0.0.1:8080/t3?x=%31"), "b=2", 3), QUrl("http://127.0.0.1:8080/t3?x=1"));
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?q=1"), "c=3", 4));
        EXPECT_FALSE(m.Submitted(QUrl("http://127.0.0.1:8080/t3?q=2"), "d=4", 5));
        EXPECT_FALSE(post(m, QUrl("http://127.0.0.1:8080/t3?q=3"), 6)) << "two bodies wait there: neither is guessed";
    }
}

TEST(AddressKey, OneSpellingPerAddress)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"http://h/p?q=%b9%a9", "http://h:80/p?q=%B9%A9", true},
        {"http://h/p?%41%7e", "http://h/p?A~", true},
        {"HTTP://H/p#top", "http://h/p", true},
        {"http://h", "http://h/", true},
        {"https://h:443/?a", "https://h?a", true},
        {"http://h/p?a=%26", "http://h/p?a=&", false},
        {"http://h/p?q=1", "https://h/p?q=1", false},
        {"http://h:8080/p", "http://h/p", false},
        {"http://h/p?q=%", "http://h/p?q=%25", true},
    };
    for (const auto& c : cases) {
        const QUrl a(QString::fromLatin1(c.a)), b(QString::fromLatin1(c.b));
        EXPECT_EQ(AddressKey(a) == AddressKey(b), c.same) << c.a << " " << c.b << ": " << AddressKey(a).toStdString()
                                                          << " " << AddressKey(b).toStdString();
    }
}

} // namespace
