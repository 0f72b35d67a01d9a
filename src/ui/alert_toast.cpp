#include "alert_toast.h"

AlertToast::AlertToast(Look look, bool isSuccess, const QString &title)
    : m_look(look), m_success(isSuccess), m_title(title)
{
}

AlertToast AlertToast::notice(const QString &title)
{
    return AlertToast(Look::Notice, true, title);
}

AlertToast AlertToast::result(bool isSuccess, const QString &title)
{
    return AlertToast(Look::Result, isSuccess, title);
}

AlertToast AlertToast::banner(const QString &title)
{
    return AlertToast(Look::Banner, true, title);
}
