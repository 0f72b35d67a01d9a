#pragma once

#include "sharing_obj.h"

#include <QList>
#include <QString>

// The signed-in account's shares in the tables localshare (one row per share) and localshare_ext
// (one row per setting of a share), on UtilDB's connection. Every statement is limited to the
// account's id, read afresh at each call. Tags, access codes and setting keys are compared without
// regard to ASCII letter case. The empty tag and "index.php" stand for the account's default share
// where an operation says "default rule". A failing statement is printed and the operation answers
// as a missing row would ("", false or an empty list); nothing throws. GUI thread only.

// ctime of the share with this tag (default rule); "" when there is none.
QString LocalShare_GetCTime(const QString &tag);

// Whether a share has this tag (default rule) and this access code; a share without a code
// matches the empty code only. An empty tag after the default rule matches nothing.
bool LocalShare_CheckPassword(const QString &tag, const QString &password);

// The tag as stored of the share that tag names (default rule, letter case aside); "" when there
// is none.
QString LocalShare_GetTag(const QString &tag);

// One setting of a share; "" when there is none.
QString LocalShareExt_Get(const QString &tag, const QString &key);

// The account's shares with their settings, folders first, then by path. A non-empty tag (after
// the default rule when useDefault) keeps only that share; an empty one keeps all. onlyEnabled
// keeps enabled shares only and shows every access code as "????????" (what web peers may see).
QList<SharingObjPtr> LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault);

// Whether a share has this tag (no default rule).
bool LocalShare_Exists(const QString &tag);

// Removes the share with this tag and its settings, together or not at all.
bool LocalShare_Delete(const QString &tag);

// Replaces one setting of a share; the old value stays when writing the new one fails.
void LocalShareExt_Set(const QString &tag, const QString &key, const QString &value);

// Writes the share's row and its twelve settings, together or not at all; ctime becomes now.
bool LocalShare_Insert(const SharingObj &share);

// Stores an edited share, under its new tag when tagOld holds the tag it is stored under. A rename
// onto a tag that another share has (letter case aside), or that changes only the case of its own
// tag, is refused with nothing changed. The old rows are replaced in one transaction, so a failed
// write leaves the share stored as it was (and tagOld as it was, for a retry); tagOld is cleared
// when the share is stored.
bool LocalShare_Update(SharingObj &share);

// Stores a new share for path under a freshly drawn four-character tag.
bool LocalShare_Add(const QString &path);

// Makes the share with this tag the account's only default share; the previous default stays when
// that fails.
bool LocalShare_SetDefault(const QString &tag);

// LocalShare_Update, then LocalShare_SetDefault with the share's tag, all or nothing: neither a
// failure nor a crash between the two can leave the account with two default shares.
bool LocalShare_UpdateAsDefault(SharingObj &share);
