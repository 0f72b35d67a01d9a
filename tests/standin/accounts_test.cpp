// The account file: saves that fail keep the old file and refuse the change, damaged entries are
// set aside, account numbers are never given twice, and stored hashes outside our range refuse.

#include "account_service.h"
#include "account_store.h"
#include "captured_output.h"
#include "qel_json.h"
#include "small_disk.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPasswordDigestor>

namespace {

using Json = QelJSON::Json;

QString accountFileIn(const QString &folder)
{
    return folder + QStringLiteral("/fenmar-standin/accounts.json");
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAccounts(const QString &path, const Json &accounts)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(Json{{"version", 1}, {"accounts", accounts}}.dump()));
}

// An entry as the file keeps it, holding the PBKDF2-SHA256 digest of password at iterations.
Json entry(qint64 acc, const std::string &email, int iterations = 20000, const QByteArray &password = "pw")
{
    const QByteArray salt = "0123456789abcdef";
    const QByteArray digest =
        QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, salt, iterations, 32);
    return Json{{"ACC", acc},
                {"email", email},
                {"hostname", email.substr(0, email.find('@'))},
                {"acode", "C" + std::to_string(acc)},
                {"salt", salt.toHex().toStdString()},
                {"digest", digest.toHex().toStdString()},
                {"iterations", iterations},
                {"created", ""}};
}

} // namespace

TEST(StandinAccounts, AFullDiskRefusesTheChangeAndKeepsTheFile)
{
    if (SmallDisk::folder().isEmpty())
        return SmallDisk::runThisTestOnIt(64);
    const QString path = accountFileIn(SmallDisk::folder());
    AccountStore store(path);
    QString error;
    ASSERT_TRUE(store.load(&error)) << error.toStdString();
    AccountService accounts(store);
    QString failure;
    const std::optional<SignedIn> ann = accounts.signIn(QStringLiteral("ann@example.com"), QStringLiteral("pw1"), &failure);
    ASSERT_TRUE(ann) << failure.toStdString();
    const QByteArray saved = read(path);

    SmallDisk::fill();
    CapturedOutput output;
    const bool benMade = accounts.signIn(QStringLiteral("ben@example.com"), QStringLiteral("pw2"), &failure).has_value();
    const bool hostChanged = accounts.changeHostname(QStringLiteral("ann@example.com"), QStringLiteral("pw1"),
                                                     QStringLiteral("annie"), &failure)
                                 .has_value();
    const QStringList printed = output.lines();
    EXPECT_FALSE(benMade) << "a login that would make an account is refused";
    EXPECT_FALSE(hostChanged);
    EXPECT_EQ(read(path), saved) << "the file keeps its accounts";
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("accounts.json")})
        << "no half-written file is left";
    EXPECT_EQ(printed.filter(QStringLiteral("not saved: ")).size(), 2) << printed.join('\n').toStdString();
    EXPECT_EQ(accounts.accountForEmail(QStringLiteral("ann@example.com"))->hostname, QStringLiteral("ann"));
    EXPECT_TRUE(accounts.signIn(QStringLiteral("ann@example.com"), QStringLiteral("pw1"), &failure));

    // At the next start the account is there, and its e-mail still needs its password.
    AccountStore again(path);
    ASSERT_TRUE(again.load(&error)) << error.toStdString();
    AccountService later(again);
    EXPECT_FALSE(later.signIn(QStringLiteral("ann@example.com"), QStringLiteral("guess"), &failure));
    EXPECT_TRUE(later.signIn(QStringLiteral("ann@example.com"), QStringLiteral("pw1"), &failure));
    EXPECT_FALSE(later.accountForEmail(QStringLiteral("ben@example.com")));

    SmallDisk::release();
    const std::optional<SignedIn> ben = later.signIn(QStringLiteral("ben@example.com"), QStringLiteral("pw2"), &failure);
    ASSERT_TRUE(ben) << failure.toStdString();
    EXPECT_EQ(ben->account.ACC, ann->account.ACC + 1);
}

TEST(StandinAccounts, DamagedEntriesAreSetAsidePrintedAndTheirNumbersNeverGivenAgain)
{
    const QString path = accountFileIn(TestHome::path());
    writeAccounts(path, Json::array({entry(10001, "ann@example.com"), Json{{"ACC", 10004}, {"email", ""}},
                                     Json{{"ACC", 0}, {"email", "cat@example.com"}}, 42,
                                     entry(10001, "dan@example.com"), entry(10003, "ANN@example.com")}));
    {
        AccountStore store(path);
        QString error;
        CapturedOutput output;
        const bool loaded = store.load(&error);
        const QStringList lines = output.lines();
        ASSERT_TRUE(loaded) << error.toStdString();
        ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
        for (const char *reason : {"entry 2: no e-mail", "entry 3: no account number", "entry 4: not an account",
                                   "entry 5: account number 10001 given twice", "entry 6: e-mail given twice"})
            EXPECT_TRUE(lines.first().contains(QLatin1String(reason))) << reason << " in " << lines.first().toStdString();
        EXPECT_TRUE(store.findByEmail(QStringLiteral("ann@example.com")));
        EXPECT_FALSE(store.findByEmail(QStringLiteral("cat@example.com")));
        EXPECT_FALSE(store.findByEmail(QStringLiteral("dan@example.com")));
    }
    // Kept beside the account file, as they were.
    const QStringList aside = QDir(QFileInfo(path).absolutePath())
                                  .entryList({QStringLiteral("accounts.json.unreadable-entries-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    const Json kept = Json::parse(read(QFileInfo(path).absolutePath() + u'/' + aside.first()).toStdString(), nullptr, false);
    ASSERT_TRUE(kept.is_array());
    EXPECT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.at(0), (Json{{"ACC", 10004}, {"email", ""}}));

    // The next start has nothing to set aside, and a new account takes a number never given.
    AccountStore again(path);
    QString error;
    CapturedOutput quiet;
    const bool loaded = again.load(&error);
    const QStringList printed = quiet.lines();
    ASSERT_TRUE(loaded) << error.toStdString();
    EXPECT_TRUE(printed.isEmpty()) << printed.join('\n').toStdString();
    AccountService accounts(again);
    QString failure;
    const std::optional<SignedIn> eve = accounts.signIn(QStringLiteral("eve@example.com"), QStringLiteral("pw"), &failure);
    ASSERT_TRUE(eve) << failure.toStdString();
    EXPECT_EQ(eve->account.ACC, 10005) << "10004 was the number of an entry set aside";
}

TEST(StandinAccounts, StoredIterationCountsOutsideOurRangeRefuseTheLoginWithoutHashing)
{
    const QString path = accountFileIn(TestHome::path());
    // Each digest is right for its password and count: only the count decides.
    writeAccounts(path, Json::array({entry(10001, "ann@example.com"), entry(10002, "low@example.com", 999),
                                     entry(10003, "high@example.com", 300'000)}));
    AccountStore store(path);
    QString error;
    ASSERT_TRUE(store.load(&error)) << error.toStdString();
    AccountService accounts(store);
    QString failure;
    EXPECT_TRUE(accounts.signIn(QStringLiteral("ann@example.com"), QStringLiteral("pw"), &failure)) << failure.toStdString();
    for (const QString &email : {QStringLiteral("low@example.com"), QStringLiteral("high@example.com")}) {
        CapturedOutput output;
        const bool signedIn = accounts.signIn(email, QStringLiteral("pw"), &failure).has_value();
        const QStringList printed = output.lines();
        EXPECT_FALSE(signedIn) << email.toStdString();
        EXPECT_FALSE(failure.isEmpty());
        EXPECT_EQ(printed.filter(QStringLiteral("cannot be checked")).size(), 1) << email.toStdString();
        EXPECT_FALSE(accounts.verify(email, QStringLiteral("pw")));
        // The entry stays, and so does its hold on the e-mail.
        EXPECT_EQ(accounts.accountForEmail(email)->ACC, email.startsWith(u'l') ? 10002 : 10003);
    }
}
