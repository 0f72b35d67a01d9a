#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The kind of check an input dialog makes after its length checks.
enum class DialogInput_Setting_ValidType { dsvNone, dsvPassword, dsvEmail };

// Texts, limits, check, entered value and action of an input dialog. The owner keeps one and
// reuses it; configure() resets everything but tips before each use. Every write emits changed().
class DialogInput_Setting final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogInput_Setting)

public:
    using Action = std::function<void()>;

    explicit DialogInput_Setting(QObject *parent = nullptr);

    // Writes the properties of the same names in this order; tips stays as it is.
    void configure(const QString &title, const QString &value, Action okAction, int lenMin, int lenMax,
                   DialogInput_Setting_ValidType validType, bool isAllowEmpty);

    // Heading and hint line, shown as stored; an empty tips shows no hint line.
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QString tips() const { return m_tips; }
    void setTips(const QString &tips);

    // The text being edited: the field writes it on every keystroke; okAction reads it.
    QString value() const { return m_value; }
    void setValue(const QString &value);

    // Bounds in user-perceived characters (an emoji or a letter with its accents counts once).
    int lenMin() const { return m_lenMin; }
    void setLenMin(int lenMin);
    int lenMax() const { return m_lenMax; }
    void setLenMax(int lenMax);

    // An empty value is accepted without further checks while true.
    bool isAllowEmpty() const { return m_isAllowEmpty; }
    void setIsAllowEmpty(bool allowed);

    DialogInput_Setting_ValidType validType() const { return m_validType; }
    void setValidType(DialogInput_Setting_ValidType validType);

    // Run after the dialog has closed on an accepted value.
    Action okAction() const { return m_okAction; }
    void setOkAction(Action action);

Q_SIGNALS:
    void changed();

private:
    QString m_title;
    QString m_value;
    QString m_tips;
    int m_lenMin = 0;
    int m_lenMax = 30;
    bool m_isAllowEmpty = true;
    DialogInput_Setting_ValidType m_validType = DialogInput_Setting_ValidType::dsvNone;
    Action m_okAction;
};
