#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

class AccountService;

// What the version answer offers: by default the client's own version, so nothing is newer.
struct VersionOffer
{
    QString number;
    QString url;
};

// The body of one account API answer; known is false for a path the API does not have.
struct ApiAnswer
{
    bool known = false;
    QByteArray body;
};

// The service's account API, answered the same whether the client asks over HTTP or through the
// bridge ("CallHttp"). Paths are matched by their ending, so the API serves under any base path:
//   account/hostname/get/index.php?Token=   {"Result":"1","Info":host name}
//   account/acode/get/index.php?Token=      {"Result":"1","Info":contact code}
//   account/acode/check/index.php?Token=&acode=[&email=]
//                                           {"Result":"1","Info":host name,"ACC","name_acc","email","hostname"}
//   subaccount/init/?email=                 {"Result":"1","Info":"OK"} for a known account
//   version/mac/index.php                   {"info":1,"number","url"}
// A refused request answers {"Result":"0","Info":why}.
class AccountApi final
{
public:
    AccountApi(const AccountService &accounts, VersionOffer offer);
    Q_DISABLE_COPY_MOVE(AccountApi)

    void setOffer(VersionOffer offer) { m_offer = std::move(offer); }

    ApiAnswer answer(const QString &path, const QUrlQuery &query) const;
    ApiAnswer answer(const QUrl &url) const;

    // The failure body for anything the API does not serve.
    static QByteArray unknownPathBody();

private:
    const AccountService &m_accounts;
    VersionOffer m_offer;
};
