#pragma once

#include "qel_json.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class LenientJson;

// One account of the stand-in service as the account file keeps it.
struct Account
{
    qint64 ACC = 0;
    QString email;
    QString hostname;
    // The contact code that other users type to reach this account.
    QString acode;
    QString salt;   // hex
    QString digest; // hex, PBKDF2 of the password
    int iterations = 0;
    QString created;
    QEL_JSON_FIELDS(Account, ACC, email, hostname, acode, salt, digest, iterations, created)
};

// The accounts, kept in one JSON file in the user's configuration folder. Every change is written
// at once and atomically; a change that cannot be written is not made.
class AccountStore final
{
public:
    explicit AccountStore(QString filePath);
    Q_DISABLE_COPY_MOVE(AccountStore)

    // A missing file is an empty store. A file that cannot be read as accounts is moved aside
    // (never overwritten); so are entries that cannot be used (no number, no e-mail, one given
    // twice), into a file of their own, and both are printed. When that fails the store stays
    // read-only.
    bool load(QString *error);

    // Look-ups ignore case; e-mails, host names and contact codes are unique in that sense.
    std::optional<Account> findByEmail(const QString &email) const;
    std::optional<Account> findByHostname(const QString &hostname) const;
    std::optional<Account> findByContactCode(const QString &code) const;
    std::optional<Account> findByAcc(qint64 acc) const;

    // Gives the account the next account number (never one given before), stores it and returns it.
    std::optional<Account> add(Account account, QString *error);
    bool update(const Account &account, QString *error);

    const QString &filePath() const { return m_path; }

private:
    // Why an entry of the file cannot be used; empty when it can.
    QString problemWith(const LenientJson &entry, const Account &account) const;
    bool setAside(const QelJSON::Json &entries, const QStringList &reasons, QString *error);
    bool write(const std::vector<Account> &accounts, qint64 lastAcc, QString *error) const;

    QString m_path;
    std::vector<Account> m_accounts;
    // The highest account number ever given.
    qint64 m_lastAcc = 0;
    bool m_writable = true;
};
