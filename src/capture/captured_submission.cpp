#include "capture/captured_submission.h"

#include <QHash>

namespace sitecapture {

void SetReloadedValues(std::vector<CheckedField>& captured, const std::vector<CheckedField>& reloaded)
{
    QHash<QString, std::vector<const CheckedField*>> byName;
    for (const CheckedField& f : reloaded)
        if (!f.name.isEmpty())
            byName[f.name].push_back(&f);
    QHash<QString, std::size_t> seen;
    for (CheckedField& f : captured) {
        if (f.name.isEmpty())
            continue;
        const std::size_t k = seen[f.name]++;
        const auto found = byName.constFind(f.name);
        if (found != byName.cend() && k < found->size())
            f.reloaded = (*found)[k]->value;
        else
            f.reloaded.reset();
    }
}

} // namespace sitecapture
