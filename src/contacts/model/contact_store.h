#pragma once

#include "contact_person.h"

#include <QList>
#include <QString>

// The signed-in account's contacts in the table contactperson, on UtilDB's connection, with bound
// values. Lists are limited to the account's id, read afresh at each call; a contact is deleted by
// its contact id. A failing statement is printed and the operation answers as a missing row
// would (false or an empty list); nothing throws. GUI thread only.

// The account's contacts in the order they were added.
QList<ContactPerson> ContactPerson_List();

// Whether the account already has a contact with this e-mail, ignoring letter case.
bool ContactPerson_HasEmail(const QString &email);

// Stores a new contact for the account under a fresh contact id, written into contact; texts are
// stored trimmed. False when the statement fails.
bool ContactPerson_Add(ContactPerson &contact);

// Removes the contact with this contact id; false for an empty id or a failing statement.
bool ContactPerson_Delete(const QString &contactId);
