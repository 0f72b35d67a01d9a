// The contacts page: its list and the add and remove of contacts, the files and folders to send,
// and how it shows a delivery from the start to its end.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "contact_store.h"
#include "contacts_test_support.h"
#include "dialog_add_contact.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "env.h"
#include "peer_request_handler.h"
#include "scripted_delivery_bridge.h"
#include "theme.h"
#include "util_db.h"
#include "util_system.h"
#include "view_contact.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>


namespace {

ContactPerson stored(const QString &name, const QString &email)
{
    ContactPerson person;
    person.name = name;
    person.email = email;
    person.accessCode = QStringLiteral("K7Q2");
    ContactPerson_Add(person);
    return person;
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
        page->resize(820, 560);
        page->show();
    }
    void TearDown() override
    {
        page.reset();
        bridge.reset();
        UtilSystem::setPanelProvider({});
        BridgeState::resetForTests();
        UtilDB::close();
    }

    template <class W = QWidget>
    W *child(const char *name)
    {
        return page->findChild<W *>(QString::fromLatin1(name));
    }
    QString text(const char *name) { return child<QLabel>(name)->text(); }

    // A signed-in client whose bridge and contact are scripted; the receiver is asked again quickly.
    void useScriptedBridge()
    {
        BridgeMessage::peerRequestHandler = &handler;
        bridge = std::make_unique<ScriptedDeliveryBridge>();
        ASSERT_TRUE(bridge->connectClient());
        Env::userInfo.Token = QStringLiteral("TOKEN");
        page->sender().setTiming({600000, 20});
    }

    PeerRequests handler;
    std::unique_ptr<ScriptedDeliveryBridge> bridge;
    std::unique_ptr<ViewContact> page;
};

} // namespace

TEST_F(ContactsPage, AnEmptyListSaysHowToAddAContact)
{
    EXPECT_TRUE(child("noContactsLabel")->isVisible());
    EXPECT_FALSE(child("contactList")->isVisible());
    EXPECT_EQ(text("recipientLabel"), QStringLiteral("Choose a contact to send files to"));
    EXPECT_FALSE(child("sendButton")->isEnabled());
    EXPECT_FALSE(child("removeContactButton")->isEnabled());
}

TEST_F(ContactsPage, AnAddedContactIsListedAndChosen)
{
    QTest::mouseClick(child<QToolButton>("addContactButton"), Qt::LeftButton);
    DialogAddContact &form = page->addContactDialog();
    ASSERT_TRUE(form.isVisible());
    QTest::keyClicks(form.findChild<QWidget *>(QStringLiteral("nameField")), QStringLiteral("Bob"));
    QTest::keyClicks(form.findChild<QWidget *>(QStringLiteral("emailField")), QStringLiteral("bob@example.com"));
    QTest::keyClicks(form.findChild<QWidget *>(QStringLiteral("accessCodeField")), QStringLiteral("K7Q2"));
    ASSERT_TRUE(form.save());

    ASSERT_EQ(page->contacts().size(), 1);
    EXPECT_TRUE(child("contactList")->isVisible());
    ASSERT_TRUE(page->currentContact().has_value());
    EXPECT_EQ(page->currentContact()->email, QStringLiteral("bob@example.com"));
    EXPECT_EQ(text("recipientLabel"), QStringLiteral("Send to Bob"));
    EXPECT_EQ(text("recipientDetail"), QStringLiteral("bob@example.com"));
    EXPECT_TRUE(child("removeContactButton")->isEnabled());
}

TEST_F(ContactsPage, RemovingAContactAsksFirst)
{
    stored(QStringLiteral("Ann"), QStringLiteral("ann@example.com"));
    const ContactPerson bob = stored(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    page->reload();
    page->selectContact(1);
    QTest::mouseClick(child<QPushButton>("removeContactButton"), Qt::LeftButton);
    DialogConfirmView &confirm = page->removeConfirmDialog();
    ASSERT_TRUE(confirm.isVisible());
    EXPECT_EQ(confirm.findChild<QLabel *>(QStringLiteral("infoLabel"))->text(),
              QStringLiteral("Remove Bob from your contacts?"));
    EXPECT_EQ(ContactPerson_List().size(), 2) << "nothing removed before the answer";

    QTest::mouseClick(confirm.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    const QList<ContactPerson> left = ContactPerson_List();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].name, QStringLiteral("Ann"));
    EXPECT_FALSE(page->currentContact().has_value());
}

TEST_F(ContactsPage, FilesAndFoldersAreChosenInPanelsAndRemovedFromTheList)
{
    stored(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    page->reload();
    page->selectContact(0);
    QList<std::pair<QString, bool>> panels;
    UtilSystem::setPanelProvider({[&](const QString &title, bool chooseDir, auto done) {
                                      panels << std::make_pair(title, chooseDir);
                                      done(chooseDir ? QStringList{"/data/photos"}
                                                     : QStringList{"/data/a.txt", "/data/b.txt"});
                                  },
                                  {}});
    QTest::mouseClick(child<QPushButton>("addFilesButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("addFoldersButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("addFilesButton"), Qt::LeftButton);
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
    QTest::mouseClick(child<QPushButton>("removePathsButton"), Qt::LeftButton);
    EXPECT_EQ(page->paths(), QStringList{"/data/b.txt"});
    EXPECT_EQ(list->count(), 1);
}

TEST_F(ContactsPage, ADeliveryIsFollowedToItsEnd)
{
    useScriptedBridge();
    bridge->decisions = {QStringLiteral("0")};

    stored(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    stored(QStringLiteral("Ann"), QStringLiteral("ann@example.com"));
    page->reload();
    page->selectContact(0);
    page->addPaths(QStringLiteral("/data/a.txt|/data/b.txt"));
    QTest::mouseClick(child<QPushButton>("sendButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return page->sender().state() == ViewContactState::vcsWaiting; }));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the receiver to accept… (30 s left)"));
    EXPECT_TRUE(child("cancelButton")->isVisible());
    EXPECT_FALSE(child("sendButton")->isEnabled());
    page->selectContact(1);
    EXPECT_EQ(page->currentContact()->name, QStringLiteral("Bob")) << "the contact stays chosen while sending";
    EXPECT_EQ(child<QListWidget>("contactList")->currentRow(), 0);
    page->sender().tick();
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the receiver to accept… (29 s left)"));

    bridge->decisions = {QStringLiteral("2")};
    ASSERT_TRUE(waitFor([&] { return page->sender().state() == ViewContactState::vcsRefused; }));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("The receiver refused the files."));
    EXPECT_FALSE(child("cancelButton")->isVisible());
    EXPECT_TRUE(child("sendButton")->isEnabled()) << "a new delivery can start";
    page->selectContact(1);
    EXPECT_EQ(page->currentContact()->name, QStringLiteral("Ann"));
}

TEST_F(ContactsPage, ProgressIsShownWhileSending)
{
    useScriptedBridge();
    bridge->decisions = {QStringLiteral("/home/bob/In")};
    bridge->statuses = {ScriptedDeliveryBridge::status(2, 50.0, 1)};

    stored(QStringLiteral("Bob"), QStringLiteral("bob@example.com"));
    page->reload();
    page->selectContact(0);
    page->addPaths(QStringLiteral("/data/a.txt"));
    ASSERT_TRUE(page->sendNow());
    ASSERT_TRUE(waitFor([&] { return page->sender().state() == ViewContactState::vcsSending; }));
    page->sender().tick();
    ASSERT_TRUE(waitFor([&] { return text("progressLabel") == QStringLiteral("1 of 2 files · 6.00 bytes of 12.00 bytes"); }));
    EXPECT_TRUE(child("progressBar")->isVisible());
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Sending…"));

    QTest::mouseClick(child<QPushButton>("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(page->sender().state(), ViewContactState::vcsCanceled);
    EXPECT_EQ(text("statusLabel"), QStringLiteral("You cancelled the transfer."));
}
