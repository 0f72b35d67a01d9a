#pragma once

#include <QByteArray>
#include <QString>

// The service's few web pages: home, the console (where an account's host name is changed) and
// registration. Plain HTML without scripts; every text that came from a user is escaped.
namespace WebPages {

// A note shown above a form after it was sent: empty for none.
struct Notice
{
    QString text;
    bool success = false;
};

QByteArray home();
QByteArray console(const Notice &notice);
QByteArray registration(const Notice &notice);
QByteArray notFound();

} // namespace WebPages
