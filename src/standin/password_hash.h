#pragma once

#include <QByteArray>
#include <QString>

// Passwords are kept only as salted PBKDF2-SHA256 digests; the iteration count is stored with
// each digest so it can be raised later without locking anyone out.
struct PasswordHash
{
    QByteArray salt;
    QByteArray digest;
    int iterations = 0;

    static PasswordHash make(const QString &password);
    bool matches(const QString &password) const;
};
