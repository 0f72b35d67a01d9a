#include "web_pages.h"

namespace {

QByteArray page(const QString &title, const QString &content)
{
    const QString html = QStringLiteral(
                             "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                             "<title>%1 - Fenmar</title>"
                             "<style>body{font-family:sans-serif;max-width:34em;margin:3em auto;color:#222}"
                             "label{display:block;margin:.8em 0 .2em}input{width:100%;padding:.3em}"
                             "button{margin-top:1em;padding:.4em 1.2em}.ok{color:#176d2c}.error{color:#a11}"
                             "nav a{margin-right:1em}</style></head><body>"
                             "<nav><a href=\"/\">Home</a><a href=\"/console\">Console</a>"
                             "<a href=\"/register\">Register</a></nav><h1>%1</h1>%2</body></html>\n")
                             .arg(title.toHtmlEscaped(), content);
    return html.toUtf8();
}

QString noticeHtml(const WebPages::Notice &notice)
{
    if (notice.text.isEmpty())
        return {};
    return QStringLiteral("<p class=\"%1\">%2</p>")
        .arg(notice.success ? QStringLiteral("ok") : QStringLiteral("error"), notice.text.toHtmlEscaped());
}

QString credentialFields()
{
    return QStringLiteral("<label for=\"email\">E-mail</label>"
                          "<input id=\"email\" name=\"email\" type=\"email\" required>"
                          "<label for=\"password\">Password</label>"
                          "<input id=\"password\" name=\"password\" type=\"password\" required>");
}

} // namespace

QByteArray WebPages::home()
{
    return page(QStringLiteral("Fenmar"),
                QStringLiteral("<p>This is the Fenmar service running on this computer. Sign in from the "
                               "Fenmar app: the first sign-in with an e-mail address creates its account.</p>"
                               "<p>In the <a href=\"/console\">console</a> you change your host name, the first "
                               "part of your share links.</p>"));
}

QByteArray WebPages::console(const Notice &notice)
{
    return page(QStringLiteral("Console"),
                noticeHtml(notice)
                    + QStringLiteral("<p>Change the host name of your account. A host name is 1 to 30 letters "
                                     "or digits.</p><form method=\"post\" action=\"/console\">")
                    + credentialFields()
                    + QStringLiteral("<label for=\"hostname\">New host name</label>"
                                     "<input id=\"hostname\" name=\"hostname\" required maxlength=\"30\">"
                                     "<button type=\"submit\">Change host name</button></form>"));
}

QByteArray WebPages::registration(const Notice &notice)
{
    return page(QStringLiteral("Register"),
                noticeHtml(notice) + QStringLiteral("<form method=\"post\" action=\"/register\">")
                    + credentialFields()
                    + QStringLiteral("<button type=\"submit\">Create account</button></form>"));
}

QByteArray WebPages::notFound()
{
    return page(QStringLiteral("Not found"), QStringLiteral("<p>There is no such page.</p>"));
}
