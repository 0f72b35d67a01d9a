// The contact store on table contactperson: each account's contacts in the order added, under
// fresh ids, found by e-mail, deleted by contact id, every text bound as a value.

#include "contact_store.h"
#include "contacts_test_support.h"
#include "env.h"
#include "util_db.h"

#include <gtest/gtest.h>

namespace {

ContactPerson added(qint64 account, const QString &name, const QString &email)
{
    Env::userInfo.id_acc = account;
    ContactPerson person;
    person.name = name;
    person.email = email;
    person.accessCode = QStringLiteral(" K7Q2 ");
    EXPECT_TRUE(ContactPerson_Add(person));
    return person;
}

} // namespace

TEST(ContactStore, KeepsEachAccountsContactsApartAndInTheOrderAdded)
{
    ContactsTest::resetAll();
    const QString odd = QStringLiteral("O'Brien\"; drop table contactperson; --");
    const ContactPerson bob = added(41, QStringLiteral("  Bob  "), QStringLiteral("Bob@Example.com"));
    added(42, QStringLiteral("Cy"), QStringLiteral("cy@example.net"));
    const ContactPerson obrien = added(41, odd, QStringLiteral("o'brien@example.com"));
    EXPECT_EQ(bob.name, QStringLiteral("Bob")) << "the caller learns what was stored";
    EXPECT_NE(bob.contactId, obrien.contactId);

    const QList<ContactPerson> listed = ContactPerson_List();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(QStringList({listed[0].contactId, listed[0].name, listed[0].accessCode}),
              QStringList({bob.contactId, "Bob", "K7Q2"}));
    EXPECT_EQ(listed[1].name, odd);
    EXPECT_TRUE(ContactPerson_HasEmail(QStringLiteral(" bob@example.COM ")));
    EXPECT_TRUE(ContactPerson_HasEmail(QStringLiteral("O'BRIEN@example.com")));
    EXPECT_FALSE(ContactPerson_HasEmail(QStringLiteral("cy@example.net"))) << "another account's contact";

    EXPECT_FALSE(ContactPerson_Delete(QString()));
    EXPECT_TRUE(ContactPerson_Delete(QStringLiteral("' or '1'='1")));
    EXPECT_EQ(ContactPerson_List().size(), 2);
    EXPECT_TRUE(ContactPerson_Delete(bob.contactId));
    ASSERT_EQ(ContactPerson_List().size(), 1);
    EXPECT_EQ(ContactPerson_List()[0].contactId, obrien.contactId);

    // Without a database nothing is listed or stored.
    UtilDB::close();
    ContactPerson cy;
    EXPECT_FALSE(ContactPerson_Add(cy));
    EXPECT_TRUE(cy.contactId.isEmpty());
    EXPECT_TRUE(ContactPerson_List().isEmpty());
}
