#include "account_api.h"

#include "account_service.h"
#include "qel_json.h"

namespace {

// "Result" is a text: the client's host-name check accepts only the text "1".
struct ApiResult
{
    QString Result;
    QString Info;
    QEL_JSON_FIELDS(ApiResult, Result, Info)
};

struct ContactCheckResult
{
    QString Result = QStringLiteral("1");
    QString Info;
    qint64 ACC = 0;
    QString name_acc;
    QString email;
    QString hostname;
    QEL_JSON_FIELDS(ContactCheckResult, Result, Info, ACC, name_acc, email, hostname)
};

struct VersionAnswer
{
    int info = 1;
    QString number;
    QString url;
    QEL_JSON_FIELDS(VersionAnswer, info, number, url)
};

template <class T>
ApiAnswer known(const T &record)
{
    return ApiAnswer{true, QelJSON::toJSONString(record).toUtf8()};
}

ApiAnswer ok(const QString &info)
{
    return known(ApiResult{QStringLiteral("1"), info});
}

ApiAnswer refused(const QString &why)
{
    return known(ApiResult{QStringLiteral("0"), why});
}

bool endsWithPath(const QString &path, const char *suffix)
{
    return path.endsWith(QLatin1Char('/') + QLatin1String(suffix));
}

QString value(const QUrlQuery &query, const char *key)
{
    return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded).trimmed();
}

} // namespace

AccountApi::AccountApi(const AccountService &accounts, VersionOffer offer)
    : m_accounts(accounts), m_offer(std::move(offer))
{
}

ApiAnswer AccountApi::answer(const QUrl &url) const
{
    return answer(url.path(QUrl::FullyDecoded), QUrlQuery(url));
}

ApiAnswer AccountApi::answer(const QString &path, const QUrlQuery &query) const
{
    if (endsWithPath(path, "account/hostname/get/index.php")) {
        const std::optional<Account> account = m_accounts.accountForToken(value(query, "Token"));
        return account ? ok(account->hostname) : refused(QStringLiteral("Invalid token"));
    }
    if (endsWithPath(path, "account/acode/get/index.php")) {
        const std::optional<Account> account = m_accounts.accountForToken(value(query, "Token"));
        return account ? ok(account->acode) : refused(QStringLiteral("Invalid token"));
    }
    if (endsWithPath(path, "account/acode/check/index.php")) {
        if (!m_accounts.accountForToken(value(query, "Token")))
            return refused(QStringLiteral("Invalid token"));
        const std::optional<Account> contact = m_accounts.accountForContactCode(value(query, "acode"));
        const QString email = value(query, "email");
        if (!contact || (!email.isEmpty() && QString::compare(email, contact->email, Qt::CaseInsensitive) != 0))
            return refused(QStringLiteral("No account has this contact code"));
        ContactCheckResult result;
        result.Info = contact->hostname;
        result.ACC = contact->ACC;
        result.name_acc = contact->email;
        result.email = contact->email;
        result.hostname = contact->hostname;
        return known(result);
    }
    if (endsWithPath(path, "subaccount/init/") || endsWithPath(path, "subaccount/init")
        || endsWithPath(path, "subaccount/init/index.php")) {
        return m_accounts.accountForEmail(value(query, "email")) ? ok(QStringLiteral("OK"))
                   : refused(QStringLiteral("Unknown account"));
    }
    if (endsWithPath(path, "version/mac/index.php"))
        return known(VersionAnswer{1, m_offer.number, m_offer.url});
    return ApiAnswer{false, unknownPathBody()};
}

QByteArray AccountApi::unknownPathBody()
{
    return QelJSON::toJSONString(ApiResult{QStringLiteral("0"), QStringLiteral("Unknown address")}).toUtf8();
}
