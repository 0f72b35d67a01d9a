#include "service_site.h"

#include "account_service.h"
#include "web_pages.h"

#include <QUrlQuery>

namespace {

HttpResponse html(int status, const QByteArray &body)
{
    return HttpResponse{status, "text/html; charset=utf-8", body};
}

bool isRead(const HttpRequest &request)
{
    return request.method == "GET" || request.method == "HEAD";
}

// Fields of an application/x-www-form-urlencoded body, where "+" stands for a blank.
QUrlQuery formFields(const QByteArray &body)
{
    QByteArray text = body;
    text.replace('+', "%20");
    return QUrlQuery(QString::fromUtf8(text));
}

QString field(const QUrlQuery &form, const char *name)
{
    return form.queryItemValue(QLatin1String(name), QUrl::FullyDecoded).trimmed();
}

} // namespace

ServiceSite::ServiceSite(AccountService &accounts, const AccountApi &api, QString offeredVersion)
    : m_accounts(accounts), m_api(api), m_offeredVersion(std::move(offeredVersion))
{
}

QString ServiceSite::installerPath(const QString &version)
{
    return QStringLiteral("/download/Fenmar") + version + QStringLiteral(".dmg");
}

HttpResponse ServiceSite::handle(const HttpRequest &request)
{
    const QString path = request.url.path(QUrl::FullyDecoded);
    if (path.startsWith(QStringLiteral("/api/")) || path.startsWith(QStringLiteral("/api2/"))) {
        if (!isRead(request))
            return HttpResponse{405, "application/json", AccountApi::unknownPathBody()};
        const ApiAnswer answer = m_api.answer(request.url);
        return HttpResponse{answer.known ? 200 : 404, "application/json", answer.body};
    }
    if (path == QStringLiteral("/console"))
        return console(request);
    if (path == QStringLiteral("/register"))
        return registration(request);
    if (!isRead(request))
        return html(405, WebPages::notFound());
    if (path == QStringLiteral("/"))
        return html(200, WebPages::home());
    if (!m_offeredVersion.isEmpty() && path == installerPath(m_offeredVersion)) {
        return HttpResponse{200, "application/octet-stream",
                            "Fenmar " + m_offeredVersion.toUtf8() + " installer (stand-in placeholder)\n"};
    }
    return html(404, WebPages::notFound());
}

HttpResponse ServiceSite::console(const HttpRequest &request)
{
    if (isRead(request))
        return html(200, WebPages::console({}));
    if (request.method != "POST")
        return html(405, WebPages::notFound());
    const QUrlQuery form = formFields(request.body);
    QString failure;
    const std::optional<Account> account = m_accounts.changeHostname(
        field(form, "email"), form.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded),
        field(form, "hostname"), &failure);
    if (!account)
        return html(200, WebPages::console({failure, false}));
    return html(200, WebPages::console({QStringLiteral("Your host name is now %1. Your contact code is %2.")
                                            .arg(account->hostname, account->acode),
                                        true}));
}

HttpResponse ServiceSite::registration(const HttpRequest &request)
{
    if (isRead(request))
        return html(200, WebPages::registration({}));
    if (request.method != "POST")
        return html(405, WebPages::notFound());
    const QUrlQuery form = formFields(request.body);
    QString failure;
    const std::optional<Account> account = m_accounts.registerAccount(
        field(form, "email"), form.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded), &failure);
    if (!account)
        return html(200, WebPages::registration({failure, false}));
    return html(200, WebPages::registration({QStringLiteral("Account created. Your host name is %1; sign in "
                                                            "from the Fenmar app.")
                                                 .arg(account->hostname),
                                             true}));
}
