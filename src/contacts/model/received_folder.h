#pragma once

#include <QString>

// The folder that files received from contacts are saved in, kept under the settings key
// "MyReceivedFolder" (the settings page reads it too).
namespace ReceivedFolder {

// MyReceived in the product folder Fenmar of the user's Documents folder.
QString defaultPath();

// The folder the receive-files sheet takes when it opens: the stored one, or the default when none
// is stored, which is then stored. The folder is made when missing; a stored folder that cannot be
// made gives way to the default.
QString take();

// Stores path when it is an existing folder; false otherwise, and nothing changes.
bool choose(const QString &path);

} // namespace ReceivedFolder
