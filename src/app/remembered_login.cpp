#include "remembered_login.h"

#include "util_db.h"

namespace {

bool store(const char *key, const QString &value)
{
    return UtilDB::setIcon(QString::fromLatin1(key), value);
}

bool storeSignIn(const QString &email, const QString &password)
{
    return store(UtilDB::keyLoginEmail, email) && store(UtilDB::keyLoginPassword, password);
}

} // namespace

namespace RememberedLogin {

bool isOn()
{
    return UtilDB::getIcon(QString::fromLatin1(UtilDB::keyIsRememberMe)) == u"1";
}

bool setOn(bool on)
{
    return UtilDB::runInTransaction([on] {
        if (!store(UtilDB::keyIsRememberMe, on ? QStringLiteral("1") : QStringLiteral("0")))
            return false;
        return on || storeSignIn(QString(), QString());
    });
}

void rememberIfOn(const QString &email, const QString &password)
{
    if (isOn())
        UtilDB::runInTransaction([&] { return storeSignIn(email, password); });
}

} // namespace RememberedLogin
