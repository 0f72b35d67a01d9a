#include "account_store.h"

#include "checked_save.h"
#include "lenient_json.h"
#include "standin_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <limits>

namespace {

constexpr qint64 firstAccountNumber = 10001;

// The whole file: a version for later formats, the highest account number ever given (so that a
// number is never given twice, even after its entry was set aside) and the accounts.
struct AccountFile
{
    int version = 1;
    qint64 lastACC = 0;
    std::vector<Account> accounts;
    QEL_JSON_FIELDS(AccountFile, version, lastACC, accounts)
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

// Beside the account file, under a name not yet taken: "accounts.json<tag><time>".
QString asideName(const QString &path, const QString &tag)
{
    const QString base = path + tag + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + u'-' + QString::number(n);
    return name;
}

void keepToOwner(const QString &path)
{
    // Digests are not secrets, but nobody else needs to read them.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

AccountStore::AccountStore(QString filePath) : m_path(std::move(filePath)) {}

bool AccountStore::load(QString *error)
{
    m_accounts.clear();
    m_lastAcc = 0;
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
        m_lastAcc = json["lastACC"].int64Value();
        const LenientJson list = json["accounts"];
        QelJSON::Json unreadable = QelJSON::Json::array();
        QStringList reasons;
        for (qsizetype i = 0; i < list.count(); ++i) {
            Account account = readAccount(list[i]);
            // Even an entry that is set aside keeps its number from being given again.
            m_lastAcc = std::max(m_lastAcc, account.ACC);
            const QString problem = problemWith(list[i], account);
            if (problem.isEmpty()) {
                m_accounts.push_back(std::move(account));
            } else {
                unreadable.push_back(list[i].json());
                reasons << QStringLiteral("entry %1: %2").arg(i + 1).arg(problem);
            }
        }
        return unreadable.empty() || setAside(unreadable, reasons, error);
    }
    // Keep what was there for the user to look at; a new file starts empty.
    const QString aside = asideName(m_path, QStringLiteral(".unreadable-"));
    if (QFile::rename(m_path, aside)) {
        StandinLog::print(QStringLiteral("Account file unreadable, moved aside to ") + aside);
        return true;
    }
    m_writable = false;
    *error = QStringLiteral("the account file %1 is unreadable and cannot be moved aside").arg(m_path);
    return false;
}

QString AccountStore::problemWith(const LenientJson &entry, const Account &account) const
{
    if (!entry.isObject())
        return QStringLiteral("not an account");
    if (account.ACC <= 0)
        return QStringLiteral("no account number");
    if (account.email.isEmpty())
        return QStringLiteral("no e-mail");
    if (findByAcc(account.ACC))
        return QStringLiteral("account number %1 given twice").arg(account.ACC);
    if (findByEmail(account.email))
        return QStringLiteral("e-mail given twice");
    return {};
}

bool AccountStore::setAside(const QelJSON::Json &entries, const QStringList &reasons, QString *error)
{
    // Kept for the user to look at, like an unreadable file; without a copy nothing may drop them.
    const QString aside = asideName(m_path, QStringLiteral(".unreadable-entries-"));
    QString writeError;
    if (!CheckedSave::writeFile(aside, QelJSON::toJSONString(entries).toUtf8(), &writeError)) {
        m_writable = false;
        *error = QStringLiteral("unreadable account entries cannot be set aside (%1): %2")
                     .arg(reasons.join(QStringLiteral("; ")), writeError);
        return false;
    }
    keepToOwner(aside);
    StandinLog::print(QStringLiteral("Account entries unreadable, set aside to %1: %2")
                          .arg(aside, reasons.join(QStringLiteral("; "))));
    // Written again without them now, so the next start does not set them aside once more.
    QString rewriteError;
    if (!write(m_accounts, m_lastAcc, &rewriteError))
        StandinLog::print(QStringLiteral("Account file not rewritten: ") + rewriteError);
    return true;
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
    // A damaged file may hold the largest number there is: then there is no next one.
    if (m_lastAcc == std::numeric_limits<qint64>::max()) {
        *error = QStringLiteral("no account number is left");
        return std::nullopt;
    }
    account.ACC = std::max(firstAccountNumber, m_lastAcc + 1);
    std::vector<Account> accounts = m_accounts;
    accounts.push_back(account);
    if (!write(accounts, account.ACC, error))
        return std::nullopt;
    m_accounts = std::move(accounts);
    m_lastAcc = account.ACC;
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
    if (!write(accounts, m_lastAcc, error))
        return false;
    m_accounts = std::move(accounts);
    return true;
}

bool AccountStore::write(const std::vector<Account> &accounts, qint64 lastAcc, QString *error) const
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
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // On failure the file keeps its earlier accounts, and the change is not made.
    if (!CheckedSave::writeFile(m_path, QelJSON::toJSONString(AccountFile{1, lastAcc, accounts}).toUtf8(), error))
        return false;
    keepToOwner(m_path);
    return true;
}
