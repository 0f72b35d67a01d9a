#include "account_service.h"

#include "password_hash.h"
#include "random_ids.h"
#include "standin_log.h"
#include "util_system.h"

#include <QDateTime>

namespace {

constexpr int maxEmailLength = 254;
constexpr int maxPasswordLength = 256;
constexpr int hostnameBaseLength = 24;

bool credentialsWellFormed(const QString &email, const QString &password, QString *failure)
{
    if (email.size() > maxEmailLength || !UtilSystem::isValidEmail(email)) {
        *failure = QStringLiteral("That is not a valid e-mail address.");
        return false;
    }
    if (password.isEmpty() || password.size() > maxPasswordLength) {
        *failure = QStringLiteral("The password must be 1 to 256 characters long.");
        return false;
    }
    return true;
}

PasswordHash storedHash(const Account &account)
{
    PasswordHash hash;
    hash.salt = QByteArray::fromHex(account.salt.toLatin1());
    hash.digest = QByteArray::fromHex(account.digest.toLatin1());
    hash.iterations = account.iterations;
    return hash;
}

bool passwordMatches(const Account &account, const QString &password)
{
    return storedHash(account).matches(password);
}

} // namespace

AccountService::AccountService(AccountStore &store) : m_store(store) {}

std::optional<SignedIn> AccountService::signIn(const QString &email, const QString &password, QString *failure)
{
    if (!credentialsWellFormed(email, password, failure))
        return std::nullopt;
    std::optional<Account> account = m_store.findByEmail(email);
    if (account) {
        if (!storedHash(*account).isUsable()) {
            StandinLog::print(QStringLiteral("Account %1: its stored password cannot be checked (%2 iterations); "
                                             "sign-in refused")
                                  .arg(account->ACC)
                                  .arg(account->iterations));
            *failure = QStringLiteral("This account's stored password is damaged.");
            return std::nullopt;
        }
        if (!passwordMatches(*account, password)) {
            *failure = QStringLiteral("Wrong e-mail or password.");
            return std::nullopt;
        }
    } else {
        account = create(email, password, failure);
        if (!account)
            return std::nullopt;
    }
    // One session per account: the token of an earlier sign-in stops working.
    m_accountByToken.removeIf([&](const auto &entry) { return entry.value() == account->ACC; });
    SignedIn signedIn{*account, RandomIds::hex(16), RandomIds::hex(8)};
    m_accountByToken.insert(signedIn.token, account->ACC);
    return signedIn;
}

std::optional<Account> AccountService::registerAccount(const QString &email, const QString &password,
                                                       QString *failure)
{
    if (!credentialsWellFormed(email, password, failure))
        return std::nullopt;
    if (m_store.findByEmail(email)) {
        *failure = QStringLiteral("This e-mail address is already registered.");
        return std::nullopt;
    }
    return create(email, password, failure);
}

std::optional<Account> AccountService::changeHostname(const QString &email, const QString &password,
                                                      const QString &newName, QString *failure)
{
    std::optional<Account> account = verify(email, password);
    if (!account) {
        *failure = QStringLiteral("Wrong e-mail or password.");
        return std::nullopt;
    }
    if (!UtilSystem::isValidTag(newName)) {
        *failure = QStringLiteral("A host name is 1 to 30 letters or digits.");
        return std::nullopt;
    }
    const QString name = newName.toLower();
    const std::optional<Account> holder = m_store.findByHostname(name);
    if (holder && holder->ACC != account->ACC) {
        *failure = QStringLiteral("This host name is taken.");
        return std::nullopt;
    }
    account->hostname = name;
    QString error;
    if (!m_store.update(*account, &error)) {
        StandinLog::print(QStringLiteral("Host name not saved: ") + error);
        *failure = QStringLiteral("The change could not be saved.");
        return std::nullopt;
    }
    return account;
}

std::optional<Account> AccountService::verify(const QString &email, const QString &password) const
{
    std::optional<Account> account = m_store.findByEmail(email);
    if (account && passwordMatches(*account, password))
        return account;
    return std::nullopt;
}

std::optional<Account> AccountService::accountForToken(const QString &token) const
{
    const auto it = m_accountByToken.constFind(token);
    if (token.isEmpty() || it == m_accountByToken.constEnd())
        return std::nullopt;
    return m_store.findByAcc(it.value());
}

std::optional<Account> AccountService::accountForEmail(const QString &email) const
{
    return m_store.findByEmail(email);
}

std::optional<Account> AccountService::accountForContactCode(const QString &code) const
{
    return m_store.findByContactCode(code);
}

std::optional<Account> AccountService::accountForHost(const QString &name) const
{
    const QString text = name.trimmed();
    if (std::optional<Account> account = m_store.findByHostname(text))
        return account;
    if (std::optional<Account> account = m_store.findByEmail(text))
        return account;
    if (std::optional<Account> account = m_store.findByContactCode(text))
        return account;
    bool isNumber = false;
    const qint64 acc = text.toLongLong(&isNumber);
    return isNumber ? m_store.findByAcc(acc) : std::nullopt;
}

QString AccountService::hostnameFromEmail(const QString &email)
{
    QString name;
    for (const QChar c : email.section(QLatin1Char('@'), 0, 0)) {
        if (c.unicode() < 128 && c.isLetterOrNumber())
            name += c.toLower();
        if (name.size() == hostnameBaseLength)
            break;
    }
    return name.isEmpty() ? QStringLiteral("host") : name;
}

std::optional<Account> AccountService::create(const QString &email, const QString &password, QString *failure)
{
    const PasswordHash hash = PasswordHash::make(password);
    Account account;
    account.email = email;
    account.hostname = freeHostname(hostnameFromEmail(email));
    account.acode = freeContactCode();
    account.salt = QString::fromLatin1(hash.salt.toHex());
    account.digest = QString::fromLatin1(hash.digest.toHex());
    account.iterations = hash.iterations;
    account.created = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QString error;
    std::optional<Account> added = m_store.add(account, &error);
    if (!added) {
        StandinLog::print(QStringLiteral("Account not saved: ") + error);
        *failure = QStringLiteral("The account could not be saved.");
    }
    return added;
}

QString AccountService::freeHostname(const QString &base) const
{
    QString name = base;
    for (int n = 2; m_store.findByHostname(name); ++n)
        name = base + QString::number(n);
    return name;
}

QString AccountService::freeContactCode() const
{
    QString code;
    do
        code = RandomIds::typeableCode(8);
    while (m_store.findByContactCode(code));
    return code;
}
