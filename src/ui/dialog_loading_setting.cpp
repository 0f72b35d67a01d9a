#include "dialog_loading_setting.h"

DialogLoadingSetting::DialogLoadingSetting(QObject *parent) : QObject(parent) {}

DialogLoadingSetting::DialogLoadingSetting(const QString &title, QObject *parent) : QObject(parent)
{
    setTitle(title);
}

void DialogLoadingSetting::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void DialogLoadingSetting::setMaxWaiting(int ticks)
{
    m_maxWaiting = ticks;
    Q_EMIT changed();
}

void DialogLoadingSetting::setActionTimeout(Action action)
{
    m_actionTimeout = std::move(action);
    Q_EMIT changed();
}
