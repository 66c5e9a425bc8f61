#include "capture/field_snapshots.h"

#include <algorithm>

namespace sitecapture {

FieldSnapshots::Document& FieldSnapshots::Find(int doc, int version)
{
    auto it = docs_.find(doc);
    if (it != docs_.end() && it->version == version) {
        it->used = ++uses_;
        return *it;
    }
    // The page's frames come and go (advertising frames reload): the document used least
    // recently makes room.
    constexpr qsizetype kMaxDocuments = 64;
    if (it == docs_.end() && docs_.size() >= kMaxDocuments) {
        auto oldest = std::min_element(docs_.begin(), docs_.end(),
                                       [](const Document& a, const Document& b) { return a.used < b.used; });
        docs_.erase(oldest);
    }
    return *docs_.insert(doc, Document{version, ++uses_, PageMarkup(QStringList{})});
}

void FieldSnapshots::Apply(const MarkupMessage& m)
{
    Find(m.doc, m.version).markup = PageMarkup(m.segments);
}

void FieldSnapshots::ApplyBlocks(const BlocksMessage& m)
{
    Document& d = Find(m.doc, m.version);
    for (const auto& [id, segments] : m.blocks)
        d.markup.SetBlock(id, segments);
    if (m.order)
        d.markup.SetOrder(*m.order);
    // A page that never stops growing its blocks is no longer read.
    if (d.markup.Chars() > kMaxBridgeChars)
        docs_.remove(m.doc);
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
