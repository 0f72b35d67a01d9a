#pragma once

// The version check: on every connection of the link the service is asked for the current
// version; a newer one is downloaded through the bridge and offered in the login sheet.
// GUI thread only.

#include "lenient_json.h"

#include <QString>

#include <array>
#include <optional>

namespace VersionCheck {

// Asks for the current version ("CallHttp", answered to onVersionInfo).
void request();

// Compares the offered version with ours; offers an installer already on disk, else downloads it.
void onVersionInfo(const std::optional<LenientJson> &answer);

// Renames a finished download to the installer and offers it. A download that left an empty
// file, or one of another size than the answer's "Size", failed.
void onInstallerDownloaded(const std::optional<LenientJson> &answer, const QString &url,
                           const QString &installerPath, const QString &downloadPath);

// Offers the installer in the login sheet, when the file is there and the sheet is registered.
void offerInstaller(const QString &installerPath);

// A file with something in it: only such an installer is offered or opened.
bool isInstallerFile(const QString &path);

// The three numbers of a version text: split on "." with empty pieces dropped, it must give
// exactly three pieces, else nothing. A piece that is not an optional sign and decimal digits
// within 64 bits counts as 0 ("3..1.4" reads as 3.1.4, "3.1.x" as 3.1.0).
std::optional<std::array<qint64, 3>> parseVersion(const QString &text);

// Whether offered is a later version than own; false when either does not give three pieces.
bool isNewer(const QString &offered, const QString &own);

// The folder that downloads and installers are kept in (made when missing).
QString versionsFolder();

bool isDownloadInFlight();
void resetForTests();

} // namespace VersionCheck
