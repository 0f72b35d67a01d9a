// The add-contact form: Save waits for a name, a valid e-mail address and a contact code; what is
// wrong is said under the fields; a saved contact is stored once.

#include "contact_store.h"
#include "contacts_test_support.h"
#include "dialog_add_contact.h"
#include "env.h"
#include "theme.h"
#include "util_db.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class AddContactForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ContactsTest::resetAll();
        Env::userInfo.id_acc = 5;
        dialog.open();
    }
    void TearDown() override { UtilDB::close(); }

    QLineEdit *field(const char *name) { return dialog.findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *save() { return dialog.findChild<QPushButton *>(QStringLiteral("saveButton")); }
    QString problem() { return dialog.findChild<QLabel *>(QStringLiteral("problemLabel"))->text(); }
    void type(const char *name, const QString &text)
    {
        field(name)->clear();
        QTest::keyClicks(field(name), text);
    }
    void fill(const QString &name, const QString &email, const QString &code)
    {
        type("nameField", name);
        type("emailField", email);
        type("accessCodeField", code);
    }

    QWidget window;
    DialogAddContact dialog{&window};
};

} // namespace

TEST_F(AddContactForm, SaveWaitsForNameEmailAndCode)
{
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_TRUE(problem().isEmpty()) << "nothing is complained about before typing";
    type("nameField", QStringLiteral("Bob"));
    type("emailField", QStringLiteral("bob@example.com"));
    EXPECT_FALSE(save()->isEnabled());
    type("accessCodeField", QStringLiteral("K7Q2"));
    EXPECT_TRUE(save()->isEnabled());
    type("nameField", QStringLiteral("   "));
    EXPECT_FALSE(save()->isEnabled());
}

TEST_F(AddContactForm, AnInvalidEmailIsSaidAndBlocksSaving)
{
    fill(QStringLiteral("Bob"), QStringLiteral("bob@example"), QStringLiteral("K7Q2"));
    EXPECT_FALSE(save()->isEnabled());
    EXPECT_EQ(problem(), QStringLiteral("Please enter a valid e-mail address."));
    EXPECT_FALSE(dialog.save());
    EXPECT_TRUE(ContactPerson_List().isEmpty());

    type("emailField", QStringLiteral("bob@example.com"));
    EXPECT_TRUE(problem().isEmpty());
    type("accessCodeField", QStringLiteral("K7-Q2"));
    EXPECT_EQ(problem(), QStringLiteral("A contact code has 1 to 30 letters or digits."));
    EXPECT_FALSE(save()->isEnabled());
}

TEST_F(AddContactForm, SavingStoresTheContactAndCloses)
{
    QSignalSpy added(&dialog, &DialogAddContact::contactAdded);
    fill(QStringLiteral(" Bob "), QStringLiteral("bob@example.com "), QStringLiteral("K7Q2"));
    type("mobileField", QStringLiteral("+1 555 0100"));
    QTest::mouseClick(save(), Qt::LeftButton);
    ASSERT_EQ(added.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
    const ContactPerson saved = added.at(0).at(0).value<ContactPerson>();
    EXPECT_EQ(saved.name, QStringLiteral("Bob"));
    const QList<ContactPerson> stored = ContactPerson_List();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].contactId, saved.contactId);
    EXPECT_EQ(stored[0].email, QStringLiteral("bob@example.com"));
    EXPECT_EQ(stored[0].accessCode, QStringLiteral("K7Q2"));
    EXPECT_EQ(stored[0].mobile, QStringLiteral("+1 555 0100"));
}

TEST_F(AddContactForm, TheSameEmailIsNotAddedTwice)
{
    fill(QStringLiteral("Bob"), QStringLiteral("bob@example.com"), QStringLiteral("K7Q2"));
    ASSERT_TRUE(dialog.save());
    dialog.clear();
    dialog.open();
    EXPECT_TRUE(field("emailField")->text().isEmpty());
    fill(QStringLiteral("Robert"), QStringLiteral("BOB@example.com"), QStringLiteral("K7Q2"));
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(problem(), QStringLiteral("This e-mail address is already in your contacts."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ContactPerson_List().size(), 1);
}
