#pragma once

#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>

// One local share as an observable object. Views and the share list hold it together, so it is
// handed around as a shared pointer; editing it changes it in place and reaches the store only
// through LocalShare_Update. Every field has a change signal that fires when its value changes.
class SharingObj final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharingObj)

public:
    explicit SharingObj(QObject *parent = nullptr);

    // Identity in lists; fixed for the object's life, never stored.
    QUuid id() const { return m_id; }

    QString tag() const { return m_tag; }
    // The tag while a rename waits to be stored; the store's update clears it.
    QString tagOld() const { return m_tagOld; }
    // The link as shown; changes only through updateTagURL().
    QString tagURL() const { return m_tagURL; }
    QString path() const { return m_path; }
    QString pathOld() const { return m_pathOld; }
    QString uri() const { return m_uri; }
    QString password() const { return m_password; }
    QString passwordShowing() const { return m_passwordShowing; }
    bool isreadonly() const { return m_isreadonly; }
    bool isenabled() const { return m_isenabled; }
    bool isupload() const { return m_isupload; }
    bool isdownload() const { return m_isdownload; }
    bool isdir() const { return m_isdir; }
    bool isDefault() const { return m_isDefault; }
    bool isTranLAN() const { return m_isTranLAN; }
    bool isTranP2P() const { return m_isTranP2P; }
    bool rdm_enable() const { return m_rdm_enable; }
    bool rdm_readonly() const { return m_rdm_readonly; }
    QString ctime() const { return m_ctime; }
    bool isfilenew() const { return m_isfilenew; }
    bool isfilerename() const { return m_isfilerename; }
    bool isfiledel() const { return m_isfiledel; }
    qint64 downlimits() const { return m_downlimits; }
    bool isanonyaccess() const { return m_isanonyaccess; }
    // Validity in days: 31 means without end, 0 expired.
    quint64 days() const { return m_days; }
    // Start of the validity period, milliseconds since 1970.
    quint64 daysctime() const { return m_daysctime; }
    bool iExpired() const { return m_iExpired; }
    qint64 DefaultView() const { return m_DefaultView; }
    QString UploadAutoChangeName() const { return m_UploadAutoChangeName; }
    bool ignoreDataChangeCheck() const { return m_ignoreDataChangeCheck; }

    void setTag(const QString &value);
    void setTagOld(const QString &value);
    void setPath(const QString &value);
    void setPathOld(const QString &value);
    void setUri(const QString &value);
    // The code alone, leaving passwordShowing as it is (the store masks codes for web peers so).
    void setPasswordOnly(const QString &value);
    void setIsreadonly(bool value);
    void setIsenabled(bool value);
    void setIsupload(bool value);
    void setIsdownload(bool value);
    void setIsdir(bool value);
    void setIsDefault(bool value);
    void setIsTranLAN(bool value);
    void setIsTranP2P(bool value);
    void setRdm_enable(bool value);
    void setRdm_readonly(bool value);
    void setCtime(const QString &value);
    void setIsfilenew(bool value);
    void setIsfilerename(bool value);
    void setIsfiledel(bool value);
    void setDownlimits(qint64 value);
    void setIsanonyaccess(bool value);
    void setDays(quint64 value);
    void setDaysctime(quint64 value);
    void setIExpired(bool value);
    void setDefaultView(qint64 value);
    void setUploadAutoChangeName(const QString &value);
    void setIgnoreDataChangeCheck(bool value);

    // Whether the validity period has run out at this moment.
    bool isExpired() const;
    // Sets the access code and its displayed form: "" without a code, "??????" with any code.
    void setPassword(const QString &code);
    // The share's link with its tag, built from the account's host name at the time of the call.
    QString getTagURL() const;
    // tagURL := the host's bare link for the default share, getTagURL() otherwise.
    void updateTagURL();

signals:
    void tagChanged(const QString &value);
    void tagOldChanged(const QString &value);
    void tagURLChanged(const QString &value);
    void pathChanged(const QString &value);
    void pathOldChanged(const QString &value);
    void uriChanged(const QString &value);
    void passwordChanged(const QString &value);
    void passwordShowingChanged(const QString &value);
    void isreadonlyChanged(bool value);
    void isenabledChanged(bool value);
    void isuploadChanged(bool value);
    void isdownloadChanged(bool value);
    void isdirChanged(bool value);
    void isDefaultChanged(bool value);
    void isTranLANChanged(bool value);
    void isTranP2PChanged(bool value);
    void rdm_enableChanged(bool value);
    void rdm_readonlyChanged(bool value);
    void ctimeChanged(const QString &value);
    void isfilenewChanged(bool value);
    void isfilerenameChanged(bool value);
    void isfiledelChanged(bool value);
    void downlimitsChanged(qint64 value);
    void isanonyaccessChanged(bool value);
    void daysChanged(quint64 value);
    void daysctimeChanged(quint64 value);
    void iExpiredChanged(bool value);
    void DefaultViewChanged(qint64 value);
    void UploadAutoChangeNameChanged(const QString &value);
    void ignoreDataChangeCheckChanged(bool value);

private:
    const QUuid m_id;
    QString m_tag;
    QString m_tagOld;
    QString m_tagURL;
    QString m_path;
    QString m_pathOld;
    QString m_uri;
    QString m_password;
    QString m_passwordShowing;
    bool m_isreadonly = true;
    bool m_isenabled = true;
    bool m_isupload = false;
    bool m_isdownload = true;
    bool m_isdir = true;
    bool m_isDefault = false;
    bool m_isTranLAN = true;
    bool m_isTranP2P = true;
    bool m_rdm_enable = true;
    bool m_rdm_readonly = false;
    QString m_ctime;
    bool m_isfilenew = false;
    bool m_isfilerename = false;
    bool m_isfiledel = false;
    qint64 m_downlimits = 0;
    bool m_isanonyaccess = true;
    quint64 m_days = 31;
    quint64 m_daysctime = 0;
    bool m_iExpired = false;
    qint64 m_DefaultView = 5;
    QString m_UploadAutoChangeName;
    bool m_ignoreDataChangeCheck = false;
};

using SharingObjPtr = std::shared_ptr<SharingObj>;

// "https://" + host name + "." + the service's share domain + "/": the link of the default share,
// and the front of every other share's link.
QString shareHostLink(const QString &hostname);
