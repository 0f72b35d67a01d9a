#include "login_result.h"

#include "console.h"
#include "env.h"
#include "json_member_mask.h"
#include "lenient_json.h"
#include "link_status.h"
#include "login_view.h"

namespace {

QString describe(const UserInfo &user)
{
    return QStringLiteral("UserInfo - id_acc: %1 name_acc: %2 hostname: %3 mbr_type: %4")
        .arg(user.id_acc)
        .arg(user.name_acc, user.hostname)
        .arg(user.mbr_type);
}

// Whether the object still shows its member key with any value other than mask.
bool holdsUnmasked(const LenientJson &object, const QString &key, const QString &mask)
{
    const LenientJson value = object[key];
    return !object.isObject() || (value.exists() && !(value.isString() && value.stringValue() == mask));
}

} // namespace

std::optional<UserInfo> LoginResult::readAccount(const QString &text)
{
    // Without the quoted key the bridge reports a refusal: nothing to print.
    if (!text.contains(QStringLiteral("\"Result\"")))
        return std::nullopt;
    const LenientJson result = LenientJson::parse(text);
    if (result.parseFailed()) {
        Console::printLine(QStringLiteral("Json error!"));
        return std::nullopt;
    }
    if (!result["Result"].exists())
        return std::nullopt;

    Console::printLine(QStringLiteral("Host Login Succeeded"));
    UserInfo user;
    Console::printLine(describe(user));
    user.isAnonymous = false;
    user.id_acc = result["ACC"].int64Value();
    user.name_acc = result["name_acc"].stringValue();
    user.hostname = result["rooturl"].stringValue();
    user.ClientID = result["ClientID"].stringValue();
    user.Token = result["Token"].stringValue();
    const LenientJson limit = result["limit"];
    user.maxsharecount = limit["maxsharecount"].intValue();
    user.limit_dpc = limit["limit_dpc"].intValue();
    user.mbr_type = limit["mbr_type"].intValue();
    user.rooturl = result["rooturl"].stringValue();
    return user;
}

QString LoginResult::printable(const QString &text)
{
    const QString key = QStringLiteral("Token");
    const QString mask = QStringLiteral("********");
    // The text as it came is the most useful to read, but only once it is sure to hide the token.
    const std::optional<QString> inPlace = JsonMemberMask::maskTopLevel(text, key, mask);
    if (inPlace && !holdsUnmasked(LenientJson::parse(*inPlace), key, mask))
        return *inPlace;
    // Else the object written anew; where the token sits in a text that is no JSON cannot be
    // told, so none of that is printed.
    return JsonMemberMask::maskTopLevelRewritten(text, key, mask)
        .value_or(QStringLiteral("LoginResult not printed: no JSON object"));
}

void LoginResultProcessor::DoLoginResult(const QString &text)
{
    if (Env::globalLoginView != &m_sheet) {
        Console::printLine(QStringLiteral("LoginResult before the login sheet was shown, dropped"));
        return;
    }
    const std::optional<UserInfo> account = LoginResult::readAccount(text);
    if (!account) {
        m_sheet.showLoginFailed();
        return;
    }
    Env::userInfo = *account;
    m_sheet.onLoginSucceeded(text, *account);
    // Pages waiting for the service go on once the whole record is in place.
    LinkStatus::noteSignedIn();
}
