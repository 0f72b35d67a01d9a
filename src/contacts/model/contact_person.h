#pragma once

#include <QString>

// One contact of the signed-in account: someone this user sends files to. The contact's own
// account is found through the e-mail and the contact code (access code) that its owner gave.
struct ContactPerson {
    // Identifies the record while the program runs; not stored.
    QString id;
    // The contact code of the contact's account.
    QString accessCode;
    // Stored identity of the row; a contact is deleted by it.
    QString contactId;
    QString name;
    QString email;
    QString mobile;
    QString aliasName;

    // What lists show: the alias when there is one, else the name, else the e-mail.
    QString displayName() const;
};
