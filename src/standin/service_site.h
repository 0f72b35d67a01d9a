#pragma once

#include "account_api.h"
#include "mini_http_server.h"

class AccountService;

// What the stand-in serves over HTTP: the account API under /api2/ (and /api/), the web pages
// /, /console and /register, and, while a newer version is offered, its placeholder installer.
class ServiceSite final
{
public:
    // offeredVersion: the version that the version answer offers as newer, or empty.
    ServiceSite(AccountService &accounts, const AccountApi &api, QString offeredVersion);
    Q_DISABLE_COPY_MOVE(ServiceSite)

    HttpResponse handle(const HttpRequest &request);

    // The path under which the offered installer is served, e.g. /download/Fenmar3.2.0.dmg.
    static QString installerPath(const QString &version);

private:
    HttpResponse console(const HttpRequest &request);
    HttpResponse registration(const HttpRequest &request);

    AccountService &m_accounts;
    const AccountApi &m_api;
    QString m_offeredVersion;
};
