#pragma once

#include "account_store.h"

#include <QHash>
#include <QString>

#include <optional>

// A successful sign-in: the account with the session token and client id of this sign-in.
struct SignedIn
{
    Account account;
    QString token;
    QString clientId;
};

// The accounts of the stand-in service: sign-in (the first sign-in with an e-mail makes the
// account), registration, host-name changes and the session tokens that the account API and
// "ClientInit" accept. Failures come back as a fixed, user-readable sentence.
class AccountService final
{
public:
    explicit AccountService(AccountStore &store);
    Q_DISABLE_COPY_MOVE(AccountService)

    std::optional<SignedIn> signIn(const QString &email, const QString &password, QString *failure);
    std::optional<Account> registerAccount(const QString &email, const QString &password, QString *failure);
    // Needs the account's password; the new name must be free and 1 to 30 letters or digits.
    std::optional<Account> changeHostname(const QString &email, const QString &password,
                                          const QString &newName, QString *failure);
    // The account whose password this is, or nothing.
    std::optional<Account> verify(const QString &email, const QString &password) const;

    // The account signed in with this token; a new sign-in of an account ends its older token.
    std::optional<Account> accountForToken(const QString &token) const;
    std::optional<Account> accountForEmail(const QString &email) const;
    std::optional<Account> accountForContactCode(const QString &code) const;
    // A peer host named by its host name, e-mail, contact code or account number.
    std::optional<Account> accountForHost(const QString &name) const;

    // The host name an account made from this e-mail starts with: the letters and digits of its
    // local part in lower case ("John.Doe+x@..." gives "johndoex"), "host" when none are left.
    static QString hostnameFromEmail(const QString &email);

private:
    std::optional<Account> create(const QString &email, const QString &password, QString *failure);
    QString freeHostname(const QString &base) const;
    QString freeContactCode() const;

    AccountStore &m_store;
    QHash<QString, qint64> m_accountByToken;
};
