#pragma once

// The remembered sign-in: the "isRememberMe" setting and the e-mail and password kept with it.
// Every writer goes by the stored setting, so that while it is off nothing puts the password on
// disk, whichever page turned it off and whatever a sheet on screen still shows. GUI thread (the
// database lives there).

#include <QString>

namespace RememberedLogin {

// The stored setting is on ("1").
bool isOn();

// Stores the setting; turning it off also forgets the e-mail and password, all or nothing. False,
// with everything as it was, when the write fails.
bool setOn(bool on);

// After a successful sign-in, also the automatic one after a bridge restart: keeps the e-mail and
// password while the stored setting is on, writes nothing while it is off.
void rememberIfOn(const QString &email, const QString &password);

} // namespace RememberedLogin
