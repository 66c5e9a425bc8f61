#include "wizard/stored_buttons.h"

#include "controls/xpcmdbutton/property_bag.h"

#include <cstring>

namespace sitecapture {

xpcmdbutton* RestoreButton(const char* name, QWidget* parent)
{
    auto* button = new xpcmdbutton(parent);
    button->setObjectName(QString::fromLatin1(name));
    const AmbientProperties ambient{QString::fromLatin1(name), parent ? parent->font() : QFont()};
    for (const StoredButton& stored : kStoredButtons) {
        if (std::strcmp(stored.name, name) != 0)
            continue;
        // The settings are part of the program; a bag that does not read is a build fault.
        const std::optional<PropertyBag> bag = PropertyBag::FromText(QString::fromUtf8(stored.bag));
        Q_ASSERT(bag);
        button->ReadProperties(bag ? *bag : PropertyBag(), ambient);
        return button;
    }
    button->InitProperties(ambient);
    return button;
}

} // namespace sitecapture
