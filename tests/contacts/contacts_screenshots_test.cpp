// Pictures of the contacts page during a delivery and of the receive sheet with an offer, saved
// in <build>/screenshots (FENMAR_SCREENSHOT_DIR overrides), for people to look at.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "contact_store.h"
#include "contacts_test_support.h"
#include "dialog_add_contact.h"
#include "env.h"
#include "peer_request_handler.h"
#include "scripted_delivery_bridge.h"
#include "test_home.h"
#include "theme.h"
#include "util_db.h"
#include "view_contact.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLocale>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>


namespace {

QString saveScreenshot(QWidget &widget, const QString &name)
{
    QString folder = qEnvironmentVariable("FENMAR_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    QDir().mkpath(folder);
    const QString path = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return widget.grab().save(path) ? path : QString();
}

class ContactsScreenshots : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Theme::applyToApplication(*qApp);
        ContactsTest::resetAll();
        Env::userInfo.id_acc = 3;
    }
    void TearDown() override
    {
        BridgeState::resetForTests();
        UtilDB::close();
    }
};

void addContact(const QString &name, const QString &email, const QString &mobile = QString())
{
    ContactPerson person;
    person.name = name;
    person.email = email;
    person.mobile = mobile;
    person.accessCode = QStringLiteral("K7Q2MX3A");
    ContactPerson_Add(person);
}

} // namespace

TEST_F(ContactsScreenshots, ContactsPageWhileSending)
{
    PeerRequests handler;
    BridgeMessage::peerRequestHandler = &handler;
    ScriptedDeliveryBridge bridge;
    ASSERT_TRUE(bridge.connectClient());
    Env::userInfo.Token = QStringLiteral("TOKEN");
    bridge.decisions = {QStringLiteral("/home/bob/In")};
    Json status = ScriptedDeliveryBridge::status(2, 62.0, 5, 8);
    status["TotalSize"] = 48'000'000;
    status["TotalDoneSize"] = 29'760'000;
    bridge.statuses = {status};

    addContact(QStringLiteral("Bob Marsh"), QStringLiteral("bob.marsh@example.com"), QStringLiteral("+44 20 7946 0018"));
    addContact(QStringLiteral("Ann Lee"), QStringLiteral("ann.lee@example.org"));
    addContact(QStringLiteral("Design team"), QStringLiteral("design@example.net"));
    const QString root = TestHome::path() + QStringLiteral("/Projects");
    ContactsTest::writeFile(root + QStringLiteral("/Quarterly report.pdf"), 2'400'000);
    ContactsTest::writeFile(root + QStringLiteral("/Site photos/roof.jpg"), 900'000);
    ContactsTest::writeFile(root + QStringLiteral("/notes.txt"), 12'000);

    ViewContact page;
    page.sender().setTiming({600000, 20});
    page.resize(820, 560);
    page.show();
    page.selectContact(0);
    page.addPaths(root + QStringLiteral("/Quarterly report.pdf|") + root + QStringLiteral("/Site photos|") + root
                  + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(page.sendNow());
    ASSERT_TRUE(waitFor([&] { return page.sender().state() == ViewContactState::vcsSending; }));
    page.sender().tick();
    ASSERT_TRUE(waitFor([&] { return page.sender().progress().percent > 0; }));

    const QString path = saveScreenshot(page, QStringLiteral("contacts_page_sending"));
    ASSERT_FALSE(path.isEmpty());
    const QImage picture(path);
    EXPECT_EQ(picture.size(), page.size() * page.devicePixelRatio());
}

TEST_F(ContactsScreenshots, ReceiveSheetWithAnOffer)
{
    QWidget window;
    window.resize(900, 600);
    window.show();
    FakeMainView mainView;
    ViewReceiveFile sheet(mainView, QString(), QString(), true, &window);
    sheet.task().setTickIntervalMs(600000);
    mainView.onChanged = [&] { sheet.onStateChanged(); };

    CtlViewReceiveFile offer;
    offer.Session = QStringLiteral("PEER|ME");
    offer.Summary = QStringLiteral("3 items: Quarterly report.pdf, Site photos, notes.txt");
    offer.FromUser = QStringLiteral("bob.marsh@example.com");
    offer.UUID = QStringLiteral("OFFER-1");
    offer.isShowView = true;
    mainView.setCtlViewReceiveFile(offer);
    ASSERT_TRUE(sheet.isVisible());
    for (int i = 0; i < 6; ++i)
        sheet.task().tick();

    const QString path = saveScreenshot(sheet, QStringLiteral("receive_sheet_offer"));
    ASSERT_FALSE(path.isEmpty());
    EXPECT_FALSE(QImage(path).isNull());
}

TEST_F(ContactsScreenshots, EmptyContactsPageAndTheAddContactForm)
{
    QWidget window;
    window.resize(820, 560);
    ViewContact page(&window);
    page.resize(820, 560);
    window.show();
    ASSERT_FALSE(saveScreenshot(page, QStringLiteral("contacts_page_empty")).isEmpty());

    page.showAddContact();
    DialogAddContact &form = page.addContactDialog();
    ASSERT_TRUE(form.isVisible());
    form.findChild<QLineEdit *>(QStringLiteral("nameField"))->setText(QStringLiteral("Bob Marsh"));
    QTest::keyClicks(form.findChild<QLineEdit *>(QStringLiteral("emailField")), QStringLiteral("bob.marsh@example"));
    ASSERT_FALSE(saveScreenshot(form, QStringLiteral("add_contact_form")).isEmpty());
}
