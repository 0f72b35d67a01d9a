// The contact store on table contactperson: listed by account, added under fresh ids, deleted by
// contact id, with every text bound as a value.

#include "contact_store.h"
#include "contacts_test_support.h"
#include "env.h"
#include "util_db.h"

#include <gtest/gtest.h>

namespace {

ContactPerson contact(const QString &name, const QString &email, const QString &code)
{
    ContactPerson person;
    person.name = name;
    person.email = email;
    person.accessCode = code;
    return person;
}

class ContactStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ContactsTest::resetAll();
        Env::userInfo.id_acc = 41;
    }
    void TearDown() override { UtilDB::close(); }
};

} // namespace

TEST_F(ContactStore, ListsTheAccountsContactsInTheOrderAdded)
{
    ContactPerson bob = contact(QStringLiteral("  Bob  "), QStringLiteral(" bob@example.com "), QStringLiteral(" K7Q2 "));
    bob.mobile = QStringLiteral("+44 20 7946 0000");
    ContactPerson ann = contact(QStringLiteral("Ann"), QStringLiteral("ann@example.org"), QStringLiteral("X1"));
    ASSERT_TRUE(ContactPerson_Add(bob));
    ASSERT_TRUE(ContactPerson_Add(ann));
    EXPECT_FALSE(bob.contactId.isEmpty());
    EXPECT_NE(bob.contactId, ann.contactId);
    EXPECT_EQ(bob.name, QStringLiteral("Bob")) << "the caller learns what was stored";

    Env::userInfo.id_acc = 42;
    ContactPerson other = contact(QStringLiteral("Cy"), QStringLiteral("cy@example.net"), QStringLiteral("Z9"));
    ASSERT_TRUE(ContactPerson_Add(other));
    EXPECT_EQ(ContactPerson_List().size(), 1);

    Env::userInfo.id_acc = 41;
    const QList<ContactPerson> listed = ContactPerson_List();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].contactId, bob.contactId);
    EXPECT_EQ(listed[0].name, QStringLiteral("Bob"));
    EXPECT_EQ(listed[0].email, QStringLiteral("bob@example.com"));
    EXPECT_EQ(listed[0].accessCode, QStringLiteral("K7Q2"));
    EXPECT_EQ(listed[0].mobile, QStringLiteral("+44 20 7946 0000"));
    EXPECT_EQ(listed[1].name, QStringLiteral("Ann"));
    EXPECT_NE(listed[0].id, listed[1].id);
}

TEST_F(ContactStore, TextsWithQuotesAndSqlAreStoredAsTheyAre)
{
    ContactPerson odd = contact(QStringLiteral("O'Brien\"; drop table contactperson; --"),
                                QStringLiteral("o'brien@example.com"), QStringLiteral("AB12"));
    odd.aliasName = QStringLiteral("Dé'n 丁");
    ASSERT_TRUE(ContactPerson_Add(odd));
    const QList<ContactPerson> listed = ContactPerson_List();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].name, odd.name);
    EXPECT_EQ(listed[0].email, odd.email);
    EXPECT_EQ(listed[0].displayName(), QStringLiteral("Dé'n 丁"));
    EXPECT_TRUE(ContactPerson_HasEmail(QStringLiteral("O'BRIEN@example.com")));
}

TEST_F(ContactStore, DeletesOnlyTheContactWithThatId)
{
    ContactPerson bob = contact(QStringLiteral("Bob"), QStringLiteral("bob@example.com"), QStringLiteral("K7"));
    ContactPerson ann = contact(QStringLiteral("Ann"), QStringLiteral("ann@example.com"), QStringLiteral("X1"));
    ASSERT_TRUE(ContactPerson_Add(bob));
    ASSERT_TRUE(ContactPerson_Add(ann));

    EXPECT_FALSE(ContactPerson_Delete(QString()));
    EXPECT_TRUE(ContactPerson_Delete(QStringLiteral("' or '1'='1")));
    EXPECT_EQ(ContactPerson_List().size(), 2);

    EXPECT_TRUE(ContactPerson_Delete(bob.contactId));
    const QList<ContactPerson> left = ContactPerson_List();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].contactId, ann.contactId);
    EXPECT_FALSE(ContactPerson_HasEmail(QStringLiteral("bob@example.com")));
}

TEST_F(ContactStore, EmailLookupIgnoresCaseAndStaysWithinTheAccount)
{
    ContactPerson bob = contact(QStringLiteral("Bob"), QStringLiteral("Bob@Example.com"), QStringLiteral("K7"));
    ASSERT_TRUE(ContactPerson_Add(bob));
    EXPECT_TRUE(ContactPerson_HasEmail(QStringLiteral(" bob@example.COM ")));
    EXPECT_FALSE(ContactPerson_HasEmail(QStringLiteral("bobby@example.com")));
    Env::userInfo.id_acc = 7;
    EXPECT_FALSE(ContactPerson_HasEmail(QStringLiteral("bob@example.com")));
}

TEST_F(ContactStore, WithoutADatabaseNothingIsListedOrStored)
{
    UtilDB::close();
    ContactPerson bob = contact(QStringLiteral("Bob"), QStringLiteral("bob@example.com"), QStringLiteral("K7"));
    EXPECT_FALSE(ContactPerson_Add(bob));
    EXPECT_TRUE(bob.contactId.isEmpty());
    EXPECT_TRUE(ContactPerson_List().isEmpty());
    EXPECT_FALSE(ContactPerson_Delete(QStringLiteral("ANY")));
}
