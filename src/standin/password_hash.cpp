#include "password_hash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace {

constexpr int defaultIterations = 20000;
// A stored count outside this range is not one of ours: a small one protects nothing and a huge
// one would hold up every connection while it is worked through (ten million take about 20 s).
constexpr int minIterations = 1000;
constexpr int maxIterations = 200'000;
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

bool PasswordHash::isUsable() const
{
    return !salt.isEmpty() && digest.size() == digestLength && iterations >= minIterations
           && iterations <= maxIterations;
}

bool PasswordHash::matches(const QString &password) const
{
    if (!isUsable())
        return false;
    const QByteArray given = derive(password, salt, iterations);
    // Same time whatever the first differing byte.
    unsigned char difference = 0;
    for (int i = 0; i < digestLength; ++i)
        difference |= static_cast<unsigned char>(given.at(i) ^ digest.at(i));
    return difference == 0;
}
