#include "local_share_store.h"

#include "console.h"
#include "env.h"
#include "util_db.h"
#include "util_system.h"

#include <functional>
#include <limits>
#include <optional>

namespace {

using Console::printLine;

qint64 accountId()
{
    return Env::userInfo.id_acc;
}

// Keeps what work wrote only when it returns true.
bool atomically(const std::function<bool()> &work)
{
    if (!UtilDB::isOpen()) {
        printLine(QStringLiteral("database is not open"));
        return false;
    }
    return UtilDB::runInTransaction(work);
}

// The empty tag and "index.php" mean the account's default share; "" when it has none. The join
// compares tags exactly: the default flag belongs to the row written under the share's own tag.
QString applyDefaultRule(const QString &tag, qint64 id)
{
    if (!tag.isEmpty() && tag != QLatin1String("index.php"))
        return tag;
    return UtilDB::getValue(QStringLiteral("select a.tag from localshare a, localshare_ext b where a.id_acc=b.id_acc"
                                           " and a.id_acc=? and a.tag=b.tag and b.key='IsDefault' and b.value='1'"),
                            {id})
        .value_or(QString());
}

// ---- Settings rows: how each field is written and read back ------------------------------------

// The magnitude of a decimal text made of an optional sign and digits only; nothing for any other
// text or a magnitude beyond 64 bits.
std::optional<quint64> decimalMagnitude(const QString &text, bool &negative)
{
    negative = text.startsWith(u'-');
    const QStringView digits = (negative || text.startsWith(u'+')) ? QStringView(text).mid(1) : QStringView(text);
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const quint64 digit = quint64(c.unicode() - u'0');
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

quint64 readUnsigned(const QString &text, quint64 fallback)
{
    bool negative = false;
    const auto magnitude = decimalMagnitude(text, negative);
    if (!magnitude || (negative && *magnitude != 0))
        return fallback;
    return *magnitude;
}

qint64 readSigned(const QString &text, qint64 fallback)
{
    bool negative = false;
    const auto magnitude = decimalMagnitude(text, negative);
    if (!magnitude)
        return fallback;
    constexpr quint64 maxPositive = quint64(std::numeric_limits<qint64>::max());
    if (!negative)
        return *magnitude <= maxPositive ? qint64(*magnitude) : fallback;
    if (*magnitude > maxPositive + 1)
        return fallback;
    return *magnitude == maxPositive + 1 ? std::numeric_limits<qint64>::min() : -qint64(*magnitude);
}

QString flagText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

bool isOne(const QString &text)
{
    return text == QLatin1String("1");
}

struct Setting
{
    const char *key;
    QString (*write)(const SharingObj &share);
};

// In the order in which a share's settings are written.
const Setting settings[] = {
    {"Days", [](const SharingObj &s) { return QString::number(s.days()); }},
    {"DaysCTime", [](const SharingObj &s) { return QString::number(s.daysctime()); }},
    {"AnonyAccess", [](const SharingObj &s) { return flagText(s.isanonyaccess()); }},
    {"DownLimits", [](const SharingObj &s) { return QString::number(s.downlimits()); }},
    {"FileNew", [](const SharingObj &s) { return flagText(s.isfilenew()); }},
    {"FileRename", [](const SharingObj &s) { return flagText(s.isfilerename()); }},
    {"FileDel", [](const SharingObj &s) { return flagText(s.isfiledel()); }},
    {"IsDefault", [](const SharingObj &s) { return flagText(s.isDefault()); }},
    {"TransLAN", [](const SharingObj &s) { return flagText(s.isTranLAN()); }},
    {"TransP2P", [](const SharingObj &s) { return flagText(s.isTranP2P()); }},
    {"DefaultView", [](const SharingObj &s) { return QString::number(s.DefaultView()); }},
    {"UploadAutoChangeName", [](const SharingObj &s) { return s.UploadAutoChangeName(); }},
};

// Reads the settings into a freshly listed share. A missing row reads as "", which gives each
// field its default. The expiry is judged once days and daysctime are known.
void readSettings(SharingObj &share)
{
    const QString tag = share.tag();
    const auto get = [&tag](const char *key) { return LocalShareExt_Get(tag, QString::fromLatin1(key)); };
    share.setDays(readUnsigned(get("Days"), 31));
    share.setDaysctime(readUnsigned(get("DaysCTime"), 31));
    const QString anonymous = get("AnonyAccess");
    share.setIsanonyaccess(isOne(anonymous) || anonymous.isEmpty());
    share.setDownlimits(readSigned(get("DownLimits"), 0));
    share.setIsfilenew(isOne(get("FileNew")));
    share.setIsfilerename(isOne(get("FileRename")));
    share.setIsfiledel(isOne(get("FileDel")));
    share.setIsDefault(isOne(get("IsDefault")));
    share.setDefaultView(readSigned(get("DefaultView"), 5));
    share.setUploadAutoChangeName(get("UploadAutoChangeName"));
    share.setIExpired(share.isExpired());
    share.setIsTranLAN(isOne(get("TransLAN")));
    share.setIsTranP2P(isOne(get("TransP2P")));
}

// Replaces one settings row. Both statements count or neither does, so a failed write neither
// loses the old value nor leaves a second row behind it.
bool writeSetting(qint64 id, const QString &tag, const QString &key, const QString &value)
{
    return atomically([&] {
        const bool written =
            UtilDB::execPrinted(QStringLiteral("delete from localshare_ext where id_acc=? and UPPER(tag)=UPPER(?) and key=?"),
                        {id, tag, key})
            && UtilDB::execPrinted(QStringLiteral("insert into localshare_ext(id_acc, tag, key, value, ctime)"
                                          " values(?, ?, ?, ?, datetime('now','localtime'))"),
                           {id, tag, key, value});
        if (!written)
            printLine(QStringLiteral("LocalShareExt_Set set Error!  Key: ") + key + QStringLiteral("  Value: ") + value);
        return written;
    });
}

} // namespace

QString LocalShare_GetCTime(const QString &tag)
{
    const qint64 id = accountId();
    const QString found = applyDefaultRule(tag, id);
    return UtilDB::getValue(QStringLiteral("select ctime from localshare where id_acc=? and UPPER(tag)=UPPER(?)"),
                            {id, found})
        .value_or(QString());
}

bool LocalShare_CheckPassword(const QString &tag, const QString &password)
{
    const qint64 id = accountId();
    const QString found = applyDefaultRule(tag, id);
    return UtilDB::isExist(QStringLiteral("select tag,path,password,isenabled,isupload,isdownload,isdir, ctime"
                                          " from localshare where id_acc=? and UPPER(tag)=UPPER(?)"
                                          " and UPPER(password)=UPPER(?)"),
                           {id, found, password});
}

QString LocalShare_GetTag(const QString &tag)
{
    const qint64 id = accountId();
    const QString found = applyDefaultRule(tag, id);
    return UtilDB::getValue(QStringLiteral("select tag from localshare where id_acc=? and UPPER(tag)=UPPER(?)"), {id, found})
        .value_or(QString());
}

QString LocalShareExt_Get(const QString &tag, const QString &key)
{
    return UtilDB::getValue(QStringLiteral("select value from localshare_ext where id_acc=? and UPPER(tag)=UPPER(?)"
                                           " and UPPER(key)=UPPER(?)"),
                            {accountId(), tag, key})
        .value_or(QString());
}

QList<SharingObjPtr> LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault)
{
    const qint64 id = accountId();
    QString sql = QStringLiteral("select tag,path,password,isenabled,isupload,isdownload,isdir, ctime"
                                 " from localshare where id_acc=?");
    QVariantList params{id};
    // Without the default rule "index.php" is just a share of that name.
    const QString wanted = useDefault ? applyDefaultRule(tag, id) : tag;
    if (!wanted.isEmpty()) {
        sql += QStringLiteral(" and UPPER(tag)=UPPER(?)");
        params.append(wanted);
    }
    if (onlyEnabled)
        sql += QStringLiteral(" and isenabled=1 ");
    sql += QStringLiteral(" order by isdir desc, path asc ");

    const DbResult result = UtilDB::query(sql, params);
    if (!result) {
        printLine(result.error);
        return {};
    }
    QList<SharingObjPtr> shares;
    shares.reserve(result.rows.size());
    for (const QStringList &row : result.rows) {
        auto share = std::make_shared<SharingObj>();
        share->setTag(row.value(0));
        share->setPath(row.value(1));
        share->setPassword(row.value(2));
        // Peers that see only enabled shares never see a code, only that there is one.
        if (onlyEnabled && !share->password().isEmpty())
            share->setPasswordOnly(QStringLiteral("????????"));
        share->setIsenabled(isOne(row.value(3)));
        share->setIsupload(isOne(row.value(4)));
        share->setIsdownload(isOne(row.value(5)));
        share->setIsdir(isOne(row.value(6)));
        share->setCtime(row.value(7));
        readSettings(*share);
        shares.append(std::move(share));
    }
    return shares;
}

bool LocalShare_Exists(const QString &tag)
{
    return UtilDB::isExist(QStringLiteral("select tag from localshare where id_acc=? and UPPER(tag)=UPPER(?)"),
                           {accountId(), tag});
}

bool LocalShare_Delete(const QString &tag)
{
    const qint64 id = accountId();
    return atomically([&] {
        return UtilDB::execPrinted(QStringLiteral("delete from localshare where id_acc=? and UPPER(tag)=UPPER(?)"), {id, tag})
            && UtilDB::execPrinted(QStringLiteral("delete from localshare_ext where id_acc=? and UPPER(tag)=UPPER(?)"),
                           {id, tag});
    });
}

void LocalShareExt_Set(const QString &tag, const QString &key, const QString &value)
{
    writeSetting(accountId(), tag, key, value);
}

bool LocalShare_Insert(const SharingObj &share)
{
    const qint64 id = accountId();
    const QString tag = share.tag();
    return atomically([&] {
        const bool rowWritten = UtilDB::execPrinted(
            QStringLiteral("insert into localshare (id_acc, tag, path, password, isenabled, isupload, isdownload, isdir,"
                           " ctime) values (?, ?, ?, ?, ?, ?, ?, ?, datetime('now','localtime'))"),
            {id, tag, share.path(), share.password(), share.isenabled(), share.isupload(), share.isdownload(),
             share.isdir()});
        if (!rowWritten)
            return false;
        // A share stored without some of its settings would come back with other rights.
        for (const Setting &setting : settings) {
            if (!writeSetting(id, tag, QString::fromLatin1(setting.key), setting.write(share)))
                return false;
        }
        return true;
    });
}

bool LocalShare_Update(SharingObj &share)
{
    const QString tagOld = share.tagOld();
    const QString storedUnder = tagOld.isEmpty() ? share.tag() : tagOld;
    const bool stored = atomically([&] {
        // A rename may not take a tag that a share already has, whatever its letter case.
        if (!tagOld.isEmpty() && tagOld != share.tag()
            && (!LocalShare_GetCTime(share.tag()).isEmpty() || LocalShare_Exists(share.tag())))
            return false;
        return LocalShare_Delete(storedUnder) && LocalShare_Insert(share);
    });
    // Until the share is stored under its new tag, tagOld still names the rows to replace.
    if (stored)
        share.setTagOld(QString());
    return stored;
}

bool LocalShare_Add(const QString &path)
{
    SharingObj share;
    share.setPath(path);
    QString tag;
    do {
        tag = UtilSystem::randomString(3);
    } while (LocalShare_Exists(tag));
    share.setTag(tag);
    share.setIsdir(UtilSystem::getPathType(path) == 2);
    return LocalShare_Insert(share);
}

bool LocalShare_SetDefault(const QString &tag)
{
    const qint64 id = accountId();
    return atomically([&] {
        return UtilDB::execPrinted(QStringLiteral("update localshare_ext set Value='0' where id_acc=? and Key='IsDefault'"), {id})
            && UtilDB::execPrinted(QStringLiteral("update localshare_ext set Value='1' where id_acc=? and UPPER(tag)=UPPER(?)"
                                          " and Key='IsDefault'"),
                           {id, tag});
    });
}

bool LocalShare_UpdateAsDefault(SharingObj &share)
{
    const QString tagOld = share.tagOld();
    const bool stored = atomically([&] { return LocalShare_Update(share) && LocalShare_SetDefault(share.tag()); });
    // The update's own success was undone with the rest: the rows are still under the old tag.
    if (!stored)
        share.setTagOld(tagOld);
    return stored;
}
