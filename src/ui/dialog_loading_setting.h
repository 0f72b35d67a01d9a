#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Title and limit of a loading dialog. Every write emits changed(); a dialog on screen redraws
// its title at once.
class DialogLoadingSetting final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogLoadingSetting)

public:
    using Action = std::function<void()>;

    explicit DialogLoadingSetting(QObject *parent = nullptr);
    explicit DialogLoadingSetting(const QString &title, QObject *parent = nullptr);

    // Shown above the dots as stored; an empty title shows the dots alone.
    QString title() const { return m_title; }
    void setTitle(const QString &title);

    // Ticks of one second the dialog waits before it closes itself.
    int maxWaiting() const { return m_maxWaiting; }
    void setMaxWaiting(int ticks);

    // Run when the dialog reaches its limit, after it has closed itself; empty by default.
    Action actionTimeout() const { return m_actionTimeout; }
    void setActionTimeout(Action action);

Q_SIGNALS:
    void changed();

private:
    QString m_title = QStringLiteral("Loading...");
    int m_maxWaiting = 8;
    Action m_actionTimeout;
};
