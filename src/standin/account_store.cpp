#include "account_store.h"

#include "lenient_json.h"
#include "standin_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 firstAccountNumber = 10001;

// The whole file: a version for later formats and the accounts.
struct AccountFile
{
    int version = 1;
    std::vector<Account> accounts;
    QEL_JSON_FIELDS(AccountFile, version, accounts)
};

Account readAccount(const LenientJson &json)
{
    Account account;
    account.ACC = json["ACC"].int64Value();
    account.email = json["email"].stringValue();
    account.hostname = json["hostname"].stringValue();
    account.acode = json["acode"].stringValue();
    account.salt = json["salt"].stringValue();
    account.digest = json["digest"].stringValue();
    account.iterations = json["iterations"].intValue();
    account.created = json["created"].stringValue();
    return account;
}

template <class Field>
std::optional<Account> findBy(const std::vector<Account> &accounts, Field field, const QString &value)
{
    if (value.isEmpty())
        return std::nullopt;
    for (const Account &account : accounts) {
        if (QString::compare(account.*field, value, Qt::CaseInsensitive) == 0)
            return account;
    }
    return std::nullopt;
}

} // namespace

AccountStore::AccountStore(QString filePath) : m_path(std::move(filePath)) {}

bool AccountStore::load(QString *error)
{
    m_accounts.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_writable = false;
        *error = QStringLiteral("cannot read the account file %1: %2").arg(m_path, file.errorString());
        return false;
    }
    const LenientJson json = LenientJson::parse(file.readAll());
    file.close();
    if (json.isObject() && json["accounts"].isArray()) {
        const LenientJson list = json["accounts"];
        for (qsizetype i = 0; i < list.count(); ++i) {
            Account account = readAccount(list[i]);
            if (account.ACC > 0 && !account.email.isEmpty())
                m_accounts.push_back(std::move(account));
        }
        return true;
    }
    // Keep what was there for the user to look at; a new file starts empty.
    const QString aside = m_path + QStringLiteral(".unreadable-")
                          + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFile::rename(m_path, aside)) {
        StandinLog::print(QStringLiteral("Account file unreadable, moved aside to ") + aside);
        return true;
    }
    m_writable = false;
    *error = QStringLiteral("the account file %1 is unreadable and cannot be moved aside").arg(m_path);
    return false;
}

std::optional<Account> AccountStore::findByEmail(const QString &email) const
{
    return findBy(m_accounts, &Account::email, email);
}

std::optional<Account> AccountStore::findByHostname(const QString &hostname) const
{
    return findBy(m_accounts, &Account::hostname, hostname);
}

std::optional<Account> AccountStore::findByContactCode(const QString &code) const
{
    return findBy(m_accounts, &Account::acode, code);
}

std::optional<Account> AccountStore::findByAcc(qint64 acc) const
{
    for (const Account &account : m_accounts) {
        if (account.ACC == acc)
            return account;
    }
    return std::nullopt;
}

std::optional<Account> AccountStore::add(Account account, QString *error)
{
    qint64 next = firstAccountNumber;
    for (const Account &existing : m_accounts)
        next = std::max(next, existing.ACC + 1);
    account.ACC = next;
    std::vector<Account> accounts = m_accounts;
    accounts.push_back(account);
    if (!write(accounts, error))
        return std::nullopt;
    m_accounts = std::move(accounts);
    return account;
}

bool AccountStore::update(const Account &account, QString *error)
{
    std::vector<Account> accounts = m_accounts;
    auto it = std::find_if(accounts.begin(), accounts.end(),
                           [&](const Account &existing) { return existing.ACC == account.ACC; });
    if (it == accounts.end()) {
        *error = QStringLiteral("no such account");
        return false;
    }
    *it = account;
    if (!write(accounts, error))
        return false;
    m_accounts = std::move(accounts);
    return true;
}

bool AccountStore::write(const std::vector<Account> &accounts, QString *error) const
{
    if (!m_writable) {
        *error = QStringLiteral("the account file is read-only in this run");
        return false;
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot make the folder ") + folder;
        return false;
    }
    // Digests are not secrets, but nobody else needs to read them.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    file.write(QelJSON::toJSONString(AccountFile{1, accounts}).toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_path, file.errorString());
        return false;
    }
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}
