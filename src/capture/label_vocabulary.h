#pragma once
// What the keyword rules do not read: captions in other words than theirs, and field names
// in English, pinyin and their abbreviations. Each reading says which word it went by.

#include <QString>
#include <QStringView>

#include <optional>

namespace sitecapture {

struct WordReading {
    QString label; // a label of PlaceholderTable
    QString word;  // the word of the text it was read from, as the vocabulary spells it
    int rule = 0;  // the keyword rule that gave it, 0 for the vocabulary
    bool mobile = false; // a mobile number, which the rules leave without a label

    friend bool operator==(const WordReading&, const WordReading&) = default;
};

// One caption (a clause of a label, placeholder or the text before a field), traditional
// characters already simplified: the vocabulary's compounds that the rules read wrongly,
// then the rules, then the captions the rules do not know, then English words. Nothing
// for a caption that names what is no part of an offer (a search, a user name, a QQ number).
std::optional<WordReading> ReadCaption(QStringView caption);

// A field's name or id: split into words (camel case, "_", "-", digits), read from the
// last word back, as names put the thing named last ("contact_tel" is a phone).
std::optional<WordReading> ReadFieldName(QStringView name);

} // namespace sitecapture
