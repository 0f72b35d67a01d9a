#include "dialog_input_setting.h"

DialogInput_Setting::DialogInput_Setting(QObject *parent) : QObject(parent) {}

void DialogInput_Setting::configure(const QString &title, const QString &value, Action okAction, int lenMin,
                                    int lenMax, DialogInput_Setting_ValidType validType, bool isAllowEmpty)
{
    setTitle(title);
    setValue(value);
    setOkAction(std::move(okAction));
    setLenMin(lenMin);
    setLenMax(lenMax);
    setValidType(validType);
    setIsAllowEmpty(isAllowEmpty);
}

void DialogInput_Setting::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void DialogInput_Setting::setTips(const QString &tips)
{
    m_tips = tips;
    Q_EMIT changed();
}

void DialogInput_Setting::setValue(const QString &value)
{
    m_value = value;
    Q_EMIT changed();
}

void DialogInput_Setting::setLenMin(int lenMin)
{
    m_lenMin = lenMin;
    Q_EMIT changed();
}

void DialogInput_Setting::setLenMax(int lenMax)
{
    m_lenMax = lenMax;
    Q_EMIT changed();
}

void DialogInput_Setting::setIsAllowEmpty(bool allowed)
{
    m_isAllowEmpty = allowed;
    Q_EMIT changed();
}

void DialogInput_Setting::setValidType(DialogInput_Setting_ValidType validType)
{
    m_validType = validType;
    Q_EMIT changed();
}

void DialogInput_Setting::setOkAction(Action action)
{
    m_okAction = std::move(action);
    Q_EMIT changed();
}
