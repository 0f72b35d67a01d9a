#include "dialog_confirm_setting.h"

DialogConfirmSetting::DialogConfirmSetting(QObject *parent)
    : QObject(parent),
      m_title(QStringLiteral("Confirm")),
      m_info(QStringLiteral("Are you sure?"))
{
}

void DialogConfirmSetting::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void DialogConfirmSetting::setInfo(const QString &info)
{
    m_info = info;
    Q_EMIT changed();
}

void DialogConfirmSetting::setIsBtnOK(bool shown)
{
    m_isBtnOK = shown;
    Q_EMIT changed();
}

void DialogConfirmSetting::setIsBtnCancel(bool shown)
{
    m_isBtnCancel = shown;
    Q_EMIT changed();
}

void DialogConfirmSetting::setOkAction(Action action)
{
    m_okAction = std::move(action);
    Q_EMIT changed();
}

void DialogConfirmSetting::setCancelAction(Action action)
{
    m_cancelAction = std::move(action);
    Q_EMIT changed();
}
