#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Texts, buttons and actions of a confirm dialog. The owner keeps one for its lifetime and reuses
// it: every property keeps its last value, so a caller writes each one its use relies on, then
// shows the dialog. Every write emits changed().
class DialogConfirmSetting final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogConfirmSetting)

public:
    using Action = std::function<void()>;

    explicit DialogConfirmSetting(QObject *parent = nullptr);

    // Heading and message, shown as stored (callers localise before storing).
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QString info() const { return m_info; }
    void setInfo(const QString &info);

    // The OK button shows while true (every caller leaves it true).
    bool isBtnOK() const { return m_isBtnOK; }
    void setIsBtnOK(bool shown);
    bool isBtnCancel() const { return m_isBtnCancel; }
    void setIsBtnCancel(bool shown);

    // Run when OK or Cancel is pressed; an empty action only closes the dialog.
    Action okAction() const { return m_okAction; }
    void setOkAction(Action action);
    Action cancelAction() const { return m_cancelAction; }
    void setCancelAction(Action action);

Q_SIGNALS:
    void changed();

private:
    QString m_title;
    QString m_info;
    bool m_isBtnOK = true;
    bool m_isBtnCancel = true;
    Action m_okAction;
    Action m_cancelAction;
};
