#pragma once

#include "qel_json.h"

#include <QString>

class SharingObj;

// The flat record of one share that a peer receives for "getShareInfo". Flags travel as 1 or 0.
// A new record holds the values of a new share; fill() copies only the twelve fields that peers
// are told, so the others always keep these values.
struct SharingObjJson
{
    QString tag;
    QString tagURL;
    QString path;
    QString uri;
    QString password;
    int isreadonly = 1;
    int isenabled = 1;
    int isupload = 0;
    int isdownload = 1;
    int isdir = 1;
    int isDefault = 0;
    int isTranLAN = 1;
    int isTranP2P = 1;
    int rdm_enable = 1;
    int rdm_readonly = 0;
    QString ctime;
    int isfilenew = 0;
    int isfilerename = 0;
    int isfiledel = 0;
    qint64 downlimits = 0;
    int isanonyaccess = 1;
    quint32 days = 31;
    quint32 daysctime = 0;
    int iExpired = 0;
    qint64 DefaultView = 5;
    QString UploadAutoChangeName;

    void fill(const SharingObj &share);

    QEL_JSON_FIELDS(SharingObjJson, tag, tagURL, path, uri, password, isreadonly, isenabled, isupload, isdownload,
                    isdir, isDefault, isTranLAN, isTranP2P, rdm_enable, rdm_readonly, ctime, isfilenew,
                    isfilerename, isfiledel, downlimits, isanonyaccess, days, daysctime, iExpired, DefaultView,
                    UploadAutoChangeName)
};
