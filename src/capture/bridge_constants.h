#pragma once
// Values the page scripts and the program must agree on. The plugin writes them into the
// scripts when it loads them, so they are spelt here only.

#include "capture/text_before.h"

#include <QRandomGenerator>
#include <QString>
#include <QtGlobal>

namespace sitecapture {

// Larger snapshots and submissions are dropped instead of freezing the tool.
inline constexpr qsizetype kMaxBridgeChars = 16 * 1024 * 1024;
// The DOM event by which the main world announces a form.submit() call: this name with a
// random tail, new for every browser, so that a page can neither listen for it nor fake it.
inline constexpr char16_t kSubmitHookEvent[] = u"sitecapture-form-submit";

// Status texts of the browser (StatusTextChange).
inline constexpr char16_t kStatusLoading[] = u"正在打开网页 "; // followed by the address
inline constexpr char16_t kStatusDone[] = u"完成";
inline QString StatusTooLarge()
{
    using namespace Qt::StringLiterals;
    return u"网页内容超过 %1 MB，本次未读取输入框和提交的数据"_s
        .arg(kMaxBridgeChars / (1024 * 1024));
}

// The page scripts with the shared values put in place of their markers; the hook's event
// is named once per browser (WithSubmitHookEvent).
inline QString WithBridgeConstants(QString script)
{
    using namespace Qt::StringLiterals;
    script.replace("@MAX_BRIDGE_CHARS@"_L1, QString::number(kMaxBridgeChars));
    script.replace("@TEXT_BEFORE_CHARS@"_L1, QString::number(kTextBeforeChars));
    return script;
}

inline QString NewSubmitHookEvent()
{
    const quint64 tail = QRandomGenerator::system()->generate64();
    return QString::fromUtf16(kSubmitHookEvent) + u'-' + QString::number(tail, 36);
}

inline QString WithSubmitHookEvent(QString script, const QString& name)
{
    using namespace Qt::StringLiterals;
    script.replace("@SUBMIT_HOOK_EVENT@"_L1, name);
    return script;
}

} // namespace sitecapture
