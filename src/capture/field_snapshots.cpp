#include "capture/field_snapshots.h"

#include <algorithm>

namespace sitecapture {

void FieldSnapshots::Apply(const MarkupMessage& m)
{
    // The page's frames come and go (advertising frames reload): the document used least
    // recently makes room.
    constexpr qsizetype kMaxDocuments = 64;
    if (!docs_.contains(m.doc) && docs_.size() >= kMaxDocuments) {
        auto oldest = std::min_element(docs_.begin(), docs_.end(),
                                       [](const Document& a, const Document& b) { return a.used < b.used; });
        docs_.erase(oldest);
    }
    docs_.insert(m.doc, Document{m.version, ++uses_, PageMarkup(m.segments)});
}

FieldSnapshot FieldSnapshots::Take(const FieldMessage& m)
{
    FieldSnapshot s;
    s.tagName = m.tag;
    s.name = m.name;
    s.value = NormalizeLineBreaks(m.value);
    s.evidence = m.evidence;
    auto doc = docs_.find(m.doc);
    if (doc == docs_.end())
        return s;
    doc->used = ++uses_;
    if (doc->version != m.version || m.input < 0)
        return s;
    for (const auto& [index, value] : m.values)
        doc->markup.SetValue(index, value);
    s.markup = doc->markup.MarkupForField(m.input);
    return s;
}

} // namespace sitecapture
