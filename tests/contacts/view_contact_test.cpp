// The contacts page: its list, the add-contact form and the removal of contacts, the files and
// folders to send, and how it shows a delivery from the start to its end.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "contact_store.h"
#include "contacts_test_support.h"
#include "dialog_add_contact.h"
#include "dialog_confirm_view.h"
#include "env.h"
#include "peer_request_handler.h"
#include "scripted_delivery_bridge.h"
#include "theme.h"
#include "util_system.h"
#include "view_contact.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void store(const QString &name, const QString &email)
{
    ContactPerson person;
    person.name = name;
    person.email = email;
    person.accessCode = QStringLiteral("K7Q2");
    ASSERT_TRUE(ContactPerson_Add(person));
}

class ContactsPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Theme::applyToApplication(*qApp);
        ContactsTest::resetAll();
        Env::userInfo.id_acc = 9;
        page = std::make_unique<ViewContact>();
        page->show();
    }
    void TearDown() override
    {
        page.reset();
        UtilSystem::setPanelProvider({});
        BridgeState::resetForTests();
    }

    template <class W = QWidget>
    W *child(const char *name)
    {
        return page->findChild<W *>(QString::fromLatin1(name));
    }
    QString text(const char *name) { return child<QLabel>(name)->text(); }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    // Opens the add-contact form and types the texts into its name, e-mail, contact code and
    // mobile fields, as a user does.
    DialogAddContact &fillForm(const QStringList &texts)
    {
        click("addContactButton");
        DialogAddContact &form = page->addContactDialog();
        EXPECT_TRUE(form.isVisible());
        const char *fields[] = {"nameField", "emailField", "accessCodeField", "mobileField"};
        for (qsizetype i = 0; i < texts.size(); ++i)
            QTest::keyClicks(form.findChild<QLineEdit *>(QString::fromLatin1(fields[i])), texts[i]);
        return form;
    }
    QString formProblem() { return page->addContactDialog().findChild<QLabel *>(QStringLiteral("problemLabel"))->text(); }

    std::unique_ptr<ViewContact> page;
};

} // namespace

TEST_F(ContactsPage, TheFormSavesOnlyANameAValidEmailAndACodeAndSaysWhatIsWrong)
{
    const QString badEmail = QStringLiteral("Please enter a valid e-mail address.");
    const QString badCode = QStringLiteral("A contact code has 1 to 30 letters or digits.");
    const struct {
        QStringList texts;
        bool canSave;
        QString problem;
    } cases[] = {
        {{}, false, ""},
        {{"Bob", "bob@example.com"}, false, ""},
        {{"Bob", "bob@example.com", "K7Q2"}, true, ""},
        {{"   ", "bob@example.com", "K7Q2"}, false, ""},
        {{"Bob", "bob@example", "K7Q2"}, false, badEmail},
        {{"Bob", "bob@example.com", "K7-Q2"}, false, badCode},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.texts.join(QLatin1Char('/')).toStdString());
        DialogAddContact &form = fillForm(c.texts);
        EXPECT_EQ(form.findChild<QPushButton *>(QStringLiteral("saveButton"))->isEnabled(), c.canSave);
        EXPECT_EQ(formProblem(), c.problem);
        if (!c.canSave) {
            EXPECT_FALSE(form.save());
        }
        form.reject();
    }
    EXPECT_TRUE(ContactPerson_List().isEmpty());
}

TEST_F(ContactsPage, ContactsAreAddedOnceChosenAndRemovedAfterAsking)
{
    EXPECT_TRUE(child("noContactsLabel")->isVisible());
    EXPECT_FALSE(child("contactList")->isVisible());
    EXPECT_EQ(text("recipientLabel"), QStringLiteral("Choose a contact to send files to"));
    EXPECT_FALSE(child("removeContactButton")->isEnabled());

    store(QStringLiteral("Ann"), QStringLiteral("ann@example.com"));
    DialogAddContact &form = fillForm({" Bob ", "bob@example.com ", "K7Q2", "+1 555 0100"});
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("saveButton")), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(page->contacts().size(), 2);
    const ContactPerson bob = page->contacts()[1];
    EXPECT_EQ(QStringList({bob.name, bob.email, bob.accessCode, bob.mobile}),
              QStringList({"Bob", "bob@example.com", "K7Q2", "+1 555 0100"}));
    EXPECT_EQ(child<QListWidget>("contactList")->currentRow(), 1) << "the new contact is chosen";
    EXPECT_EQ(text("recipientLabel"), QStringLiteral("Send to Bob"));
    EXPECT_EQ(text("recipientDetail"), QStringLiteral("bob@example.com · +1 555 0100"));

    // The same address again, in other letters, is refused and said so.
    fillForm({"Robert", "BOB@example.com", "K7Q2"});
    EXPECT_FALSE(form.save());
    EXPECT_EQ(formProblem(), QStringLiteral("This e-mail address is already in your contacts."));
    EXPECT_TRUE(form.isVisible());
    form.reject();
    EXPECT_EQ(ContactPerson_List().size(), 2);

    click("removeContactButton");
    DialogConfirmView &confirm = page->removeConfirmDialog();
    ASSERT_TRUE(confirm.isVisible());
    EXPECT_EQ(confirm.findChild<QLabel *>(QStringLiteral("infoLabel"))->text(),
              QStringLiteral("Remove Bob from your contacts?"));
    EXPECT_EQ(ContactPerson_List().size(), 2) << "nothing removed before the answer";
    QTest::mouseClick(confirm.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    ASSERT_EQ(ContactPerson_List().size(), 1);
    EXPECT_EQ(ContactPerson_List()[0].name, QStringLiteral("Ann"));
    EXPECT_FALSE(page->currentContact().has_value());
}

TEST_F(ContactsPage, FilesAndFoldersAreChosenInPanelsAndRemovedFromTheList)
{
    store(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    page->reload();
    page->selectContact(0);
    EXPECT_FALSE(child("sendButton")->isEnabled()) << "nothing to send yet";
    QList<std::pair<QString, bool>> panels;
    UtilSystem::setPanelProvider({[&](const QString &title, bool chooseDir, QObject *, auto done) {
                                      panels << std::make_pair(title, chooseDir);
                                      done(chooseDir ? QStringList{"/data/photos"}
                                                     : QStringList{"/data/a.txt", "/data/b.txt"});
                                  },
                                  {}});
    click("addFilesButton");
    click("addFoldersButton");
    click("addFilesButton");
    ASSERT_TRUE(waitFor([&] { return panels.size() == 3; }));
    EXPECT_EQ(panels[0], std::make_pair(QStringLiteral("Choose files to send"), false));
    EXPECT_EQ(panels[1], std::make_pair(QStringLiteral("Choose folders to send"), true));
    EXPECT_EQ(page->paths(), (QStringList{"/data/a.txt", "/data/b.txt", "/data/photos"}));
    EXPECT_TRUE(child("sendButton")->isEnabled());

    auto *list = child<QListWidget>("pathList");
    ASSERT_EQ(list->count(), 3);
    EXPECT_FALSE(child("removePathsButton")->isEnabled());
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    click("removePathsButton");
    EXPECT_EQ(page->paths(), QStringList{"/data/b.txt"});
    EXPECT_EQ(list->count(), 1);
    list->item(0)->setSelected(true);
    click("removePathsButton");
    EXPECT_TRUE(child("noPathsLabel")->isVisible());
    EXPECT_FALSE(child("sendButton")->isEnabled());
}

TEST_F(ContactsPage, ADeliveryIsShownFromTheOfferToItsEnd)
{
    PeerRequests handler;
    BridgeMessage::peerRequestHandler = &handler;
    ScriptedDeliveryBridge bridge;
    ASSERT_TRUE(bridge.connectClient());
    Env::userInfo.Token = QStringLiteral("TOKEN");
    page->sender().setTiming({600000, 20});
    store(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    store(QStringLiteral("Ann"), QStringLiteral("ann@example.com"));
    page->reload();
    page->selectContact(0);
    page->addPaths(QStringLiteral("/data/a.txt|/data/b.txt"));

    click("sendButton");
    ASSERT_TRUE(waitFor([&] { return page->sender().state() == ViewContactState::vcsWaiting; }));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the receiver to accept… (30 s left)"));
    EXPECT_TRUE(child("cancelButton")->isVisible());
    EXPECT_FALSE(child("sendButton")->isEnabled());
    EXPECT_FALSE(child("addFilesButton")->isEnabled());
    page->selectContact(1);
    EXPECT_EQ(page->currentContact()->name, QStringLiteral("Bob")) << "the contact stays chosen while sending";
    EXPECT_EQ(child<QListWidget>("contactList")->currentRow(), 0);
    page->sender().tick();
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the receiver to accept… (29 s left)"));

    bridge.decisions = {QStringLiteral("/home/bob/In")};
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 50.0, 1)};
    ASSERT_TRUE(waitFor([&] { return page->sender().state() == ViewContactState::vcsSending; }));
    page->sender().tick();
    ASSERT_TRUE(waitFor([&] { return text("progressLabel") == QStringLiteral("1 of 2 files · 6.00 bytes of 12.00 bytes"); }));
    EXPECT_TRUE(child("progressBar")->isVisible());
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Sending…"));

    click("cancelButton");
    EXPECT_EQ(text("statusLabel"), QStringLiteral("You cancelled the transfer."));
    EXPECT_FALSE(child("cancelButton")->isVisible());
    EXPECT_TRUE(child("sendButton")->isEnabled()) << "a new delivery can start";
    page->selectContact(1);
    EXPECT_EQ(page->currentContact()->name, QStringLiteral("Ann"));
}
