#pragma once

#include <QString>

// The service's web pages that the program opens in the user's browser; their host is a build
// setting.
namespace WebPages {

// The web console, where the account's host name is managed (also the password recovery link).
QString console();
QString registration();
QString home();
// The site's host name as shown to the user.
QString siteName();

} // namespace WebPages
