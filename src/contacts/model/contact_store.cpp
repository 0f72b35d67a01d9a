#include "contact_store.h"

#include "console.h"
#include "env.h"
#include "util_db.h"

#include <QUuid>

namespace {

qint64 accountId()
{
    return Env::userInfo.id_acc;
}

QString freshId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

QList<ContactPerson> ContactPerson_List()
{
    const DbResult result = UtilDB::query(
        QStringLiteral("select uuid_cp, cpname, cpmail, cpmobile, aliasname, accesscode from contactperson"
                       " where id_acc=? order by rowid"),
        {accountId()});
    if (!result) {
        Console::printLine(result.error);
        return {};
    }
    QList<ContactPerson> contacts;
    contacts.reserve(result.rows.size());
    for (const QStringList &row : result.rows) {
        ContactPerson contact;
        contact.id = freshId();
        contact.contactId = row.value(0);
        contact.name = row.value(1);
        contact.email = row.value(2);
        contact.mobile = row.value(3);
        contact.aliasName = row.value(4);
        contact.accessCode = row.value(5);
        contacts.push_back(contact);
    }
    return contacts;
}

bool ContactPerson_HasEmail(const QString &email)
{
    // lower() folds ASCII letters only, as e-mail addresses are compared here.
    return UtilDB::isExist(
        QStringLiteral("select 1 from contactperson where id_acc=? and lower(cpmail)=lower(?)"),
        {accountId(), email.trimmed()});
}

bool ContactPerson_Add(ContactPerson &contact)
{
    ContactPerson stored = contact;
    stored.contactId = freshId();
    stored.name = contact.name.trimmed();
    stored.email = contact.email.trimmed();
    stored.mobile = contact.mobile.trimmed();
    stored.aliasName = contact.aliasName.trimmed();
    stored.accessCode = contact.accessCode.trimmed();
    if (!UtilDB::execPrinted(QStringLiteral("insert into contactperson (id_acc, uuid_cp, cpname, cpmail, cpmobile, aliasname,"
                                    " accesscode) values (?, ?, ?, ?, ?, ?, ?)"),
                     {accountId(), stored.contactId, stored.name, stored.email, stored.mobile, stored.aliasName,
                      stored.accessCode}))
        return false;
    if (stored.id.isEmpty())
        stored.id = freshId();
    contact = stored;
    return true;
}

bool ContactPerson_Delete(const QString &contactId)
{
    if (contactId.isEmpty())
        return false;
    return UtilDB::execPrinted(QStringLiteral("delete from contactperson where uuid_cp=?"), {contactId});
}
