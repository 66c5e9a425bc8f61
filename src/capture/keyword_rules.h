#pragma once
// The keyword rules with their reasons: which rule gave a label window its label, and which
// of the rule's words the window holds.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace sitecapture {

struct RuleMatch {
    int rule = 0;      // the rule's number, 1 to 20, in the order the rules are tried
    QString label;     // may be "手机", which is no placeholder label
    QStringList words; // the rule's words that the window holds, as the rule spells them

    friend bool operator==(const RuleMatch&, const RuleMatch&) = default;
};

// The first rule whose condition the window meets; nothing for an empty window.
std::optional<RuleMatch> MatchKeywordRules(QStringView window);

// The label the rules give a mobile number, which has no placeholder of its own.
inline constexpr char16_t kMobileLabel[] = u"手机";

} // namespace sitecapture
