#pragma once

#include <QString>

// The account record. Before the first login it is this default record; a login result replaces
// it with a new one that sets the fields the service sends, the others keeping these defaults.
struct UserInfo {
    qint64 id_acc = 0;
    QString hostname = QStringLiteral("*");
    bool isAnonymous = false;
    QString Token;
    QString IsDupeLogin;
    QString ClientID;
    QString name_acc = QStringLiteral("Anonymous");
    int isseed = 0;
    QString rooturl;
    // The e-mail and password of the last successful login of this run; the link logs in again
    // with them after every reconnection.
    QString email;
    QString password;
    int mbr_type = 1;
    QString mbr_info;
    int maxdevice = 0;
    int maxsubaccounts = 0;
    int limit_uspeed = 1024;
    int limit_dspeed = 1024;
    int limit_upc = 1;
    int limit_dpc = 1;
    int limit_hostname = 8;
    int maxsharecount = 1;
};
