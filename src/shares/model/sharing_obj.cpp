#include "sharing_obj.h"

#include "build_settings.h"
#include "env.h"

#include <QDateTime>

#include <limits>

namespace {

// Stores value and tells observers, only when it differs from what the field holds.
template <class T, class Signal>
void assign(SharingObj *object, T &field, const T &value, Signal changed)
{
    if (field == value)
        return;
    field = value;
    emit (object->*changed)(field);
}

constexpr quint64 msPerDay = 24ull * 60 * 60 * 1000;

} // namespace

SharingObj::SharingObj(QObject *parent) : QObject(parent), m_id(QUuid::createUuid())
{
}

void SharingObj::setTag(const QString &value) { assign(this, m_tag, value, &SharingObj::tagChanged); }
void SharingObj::setTagOld(const QString &value) { assign(this, m_tagOld, value, &SharingObj::tagOldChanged); }
void SharingObj::setPath(const QString &value) { assign(this, m_path, value, &SharingObj::pathChanged); }
void SharingObj::setPathOld(const QString &value) { assign(this, m_pathOld, value, &SharingObj::pathOldChanged); }
void SharingObj::setUri(const QString &value) { assign(this, m_uri, value, &SharingObj::uriChanged); }
void SharingObj::setPasswordOnly(const QString &value) { assign(this, m_password, value, &SharingObj::passwordChanged); }
void SharingObj::setIsreadonly(bool value) { assign(this, m_isreadonly, value, &SharingObj::isreadonlyChanged); }
void SharingObj::setIsenabled(bool value) { assign(this, m_isenabled, value, &SharingObj::isenabledChanged); }
void SharingObj::setIsupload(bool value) { assign(this, m_isupload, value, &SharingObj::isuploadChanged); }
void SharingObj::setIsdownload(bool value) { assign(this, m_isdownload, value, &SharingObj::isdownloadChanged); }
void SharingObj::setIsdir(bool value) { assign(this, m_isdir, value, &SharingObj::isdirChanged); }
void SharingObj::setIsDefault(bool value) { assign(this, m_isDefault, value, &SharingObj::isDefaultChanged); }
void SharingObj::setIsTranLAN(bool value) { assign(this, m_isTranLAN, value, &SharingObj::isTranLANChanged); }
void SharingObj::setIsTranP2P(bool value) { assign(this, m_isTranP2P, value, &SharingObj::isTranP2PChanged); }
void SharingObj::setRdm_enable(bool value) { assign(this, m_rdm_enable, value, &SharingObj::rdm_enableChanged); }
void SharingObj::setRdm_readonly(bool value) { assign(this, m_rdm_readonly, value, &SharingObj::rdm_readonlyChanged); }
void SharingObj::setCtime(const QString &value) { assign(this, m_ctime, value, &SharingObj::ctimeChanged); }
void SharingObj::setIsfilenew(bool value) { assign(this, m_isfilenew, value, &SharingObj::isfilenewChanged); }
void SharingObj::setIsfilerename(bool value) { assign(this, m_isfilerename, value, &SharingObj::isfilerenameChanged); }
void SharingObj::setIsfiledel(bool value) { assign(this, m_isfiledel, value, &SharingObj::isfiledelChanged); }
void SharingObj::setDownlimits(qint64 value) { assign(this, m_downlimits, value, &SharingObj::downlimitsChanged); }
void SharingObj::setIsanonyaccess(bool value) { assign(this, m_isanonyaccess, value, &SharingObj::isanonyaccessChanged); }
void SharingObj::setDays(quint64 value) { assign(this, m_days, value, &SharingObj::daysChanged); }
void SharingObj::setDaysctime(quint64 value) { assign(this, m_daysctime, value, &SharingObj::daysctimeChanged); }
void SharingObj::setIExpired(bool value) { assign(this, m_iExpired, value, &SharingObj::iExpiredChanged); }
void SharingObj::setDefaultView(qint64 value) { assign(this, m_DefaultView, value, &SharingObj::DefaultViewChanged); }
void SharingObj::setUploadAutoChangeName(const QString &value)
{
    assign(this, m_UploadAutoChangeName, value, &SharingObj::UploadAutoChangeNameChanged);
}
void SharingObj::setIgnoreDataChangeCheck(bool value)
{
    assign(this, m_ignoreDataChangeCheck, value, &SharingObj::ignoreDataChangeCheckChanged);
}

bool SharingObj::isExpired() const
{
    if (m_days == 31)
        return false;
    if (m_days == 0)
        return true;
    // A period beyond what 64 bits can count never runs out.
    if (m_days > std::numeric_limits<quint64>::max() / msPerDay)
        return false;
    const quint64 period = m_days * msPerDay;
    const quint64 now = quint64(QDateTime::currentMSecsSinceEpoch());
    // A start in the future has not used up any of the period.
    if (m_daysctime > now)
        return false;
    return now - m_daysctime >= period;
}

void SharingObj::setPassword(const QString &code)
{
    setPasswordOnly(code);
    assign(this, m_passwordShowing, code.isEmpty() ? QString() : QStringLiteral("??????"),
           &SharingObj::passwordShowingChanged);
}

QString SharingObj::getTagURL() const
{
    return shareHostLink(Env::userInfo.hostname) + m_tag;
}

void SharingObj::updateTagURL()
{
    const QString url = m_isDefault ? shareHostLink(Env::userInfo.hostname) : getTagURL();
    assign(this, m_tagURL, url, &SharingObj::tagURLChanged);
}

QString shareHostLink(const QString &hostname)
{
    return QStringLiteral("https://") + hostname + u'.' + QString::fromUtf8(BuildSettings::shareDomain) + u'/';
}
