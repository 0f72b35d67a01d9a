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
    // Whether this can be checked at all: a salt, a whole digest and an iteration count in the
    // range we use. matches() is false, without any hashing, when it cannot.
    bool isUsable() const;
    bool matches(const QString &password) const;
};
