#include "contact_person.h"

QString ContactPerson::displayName() const
{
    if (!aliasName.trimmed().isEmpty())
        return aliasName.trimmed();
    if (!name.trimmed().isEmpty())
        return name.trimmed();
    return email;
}
