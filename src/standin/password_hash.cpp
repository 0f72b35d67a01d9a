#include "password_hash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace {

constexpr int defaultIterations = 20000;
constexpr int digestLength = 32;

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, digestLength);
}

} // namespace

PasswordHash PasswordHash::make(const QString &password)
{
    PasswordHash hash;
    hash.salt.resize(16);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(hash.salt.data()),
                                          hash.salt.size() / int(sizeof(quint32)));
    hash.iterations = defaultIterations;
    hash.digest = derive(password, hash.salt, hash.iterations);
    return hash;
}

bool PasswordHash::matches(const QString &password) const
{
    if (salt.isEmpty() || digest.size() != digestLength || iterations < 1 || iterations > 10'000'000)
        return false;
    const QByteArray given = derive(password, salt, iterations);
    // Same time whatever the first differing byte.
    unsigned char difference = 0;
    for (int i = 0; i < digestLength; ++i)
        difference |= static_cast<unsigned char>(given.at(i) ^ digest.at(i));
    return difference == 0;
}
