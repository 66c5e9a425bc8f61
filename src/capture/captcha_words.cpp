#include "capture/captcha_words.h"

#include "capture/text_fold.h"

namespace sitecapture {
namespace {

const char16_t* const kCaptchaWords[] = {u"验证码", u"校验码", u"附加码", u"认证码",
                                         u"captcha", u"verifycode", u"checkcode",
                                         u"validatecode", u"authcode", u"vcode", u"yzm"};

} // namespace

bool MentionsCaptcha(QStringView text)
{
    if (text.isEmpty())
        return false;
    const FoldedText folded(text);
    for (const char16_t* word : kCaptchaWords)
        if (folded.Contains(QStringView(word)))
            return true;
    return false;
}

} // namespace sitecapture
