#pragma once

// What the bridge's "LoginResult" text says, and the handler that hands it to the login sheet.

#include "bridge_interfaces.h"
#include "user_info.h"

#include <QString>

#include <optional>

class LoginView;

namespace LoginResult {

// The new account record of a successful login. A text that is no JSON object, or has no
// top-level "Result", is a failed login (nullopt); of those only a text that names "Result" but
// is no JSON prints "Json error!". Only the presence of "Result" counts, not its value. Members
// that are missing read as 0 or "", never as the record's defaults.
std::optional<UserInfo> readAccount(const QString &text);

// The result as it may be printed, never with the session token's value: the text as it came
// with only that value masked; should that fail, the object written anew with it masked; a text
// that is no JSON object is not printed at all, only a line that says so.
QString printable(const QString &text);

} // namespace LoginResult

// Registered as BridgeMessage::loginResultHandler. A result reaches the sheet only once the sheet
// has been shown (it is Env::globalLoginView); one that comes earlier is printed and dropped.
class LoginResultProcessor final : public LoginResultHandler
{
public:
    explicit LoginResultProcessor(LoginView &sheet) : m_sheet(sheet) {}
    Q_DISABLE_COPY_MOVE(LoginResultProcessor)

    void DoLoginResult(const QString &text) override;

private:
    LoginView &m_sheet;
};
