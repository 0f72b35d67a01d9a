#pragma once

#include "alert_toast.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class QBoxLayout;
class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;
class QTimer;

// Shows one toast at a time over its host widget for a fixed time; a click dismisses it early.
// Notice and result toasts sit in the middle of the host, banner toasts at its foot. The overlay
// covers only the toast itself, so the rest of the host stays usable.
class ToastOverlay final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToastOverlay)

public:
    // How long the main window shows a toast, and how long a panel shows its own.
    static constexpr std::chrono::milliseconds kMainWindowDuration{880};
    static constexpr std::chrono::milliseconds kPanelDuration{1880};

    ToastOverlay(QWidget *host, std::chrono::milliseconds duration);
    ~ToastOverlay() override;

    // Shows toast, replacing one still showing; its time starts again.
    void present(const AlertToast &toast);
    // Hides the toast now; nothing when none shows.
    void dismiss();

    // Banner toasts sit at the top of the host instead of its foot (panels whose buttons are
    // at the foot).
    void setBannerAtTop(bool atTop) { m_bannerAtTop = atTop; }

    bool isShowing() const { return m_showing; }
    // The toast shown last.
    AlertToast toast() const { return m_toast; }
    std::chrono::milliseconds duration() const { return m_duration; }

Q_SIGNALS:
    // A toast came up (true) or went away by its time, a click or dismiss() (false).
    void showingChanged(bool showing);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLook();
    void placeOnHost();

    QPointer<QWidget> m_host;
    std::chrono::milliseconds m_duration;
    AlertToast m_toast;
    bool m_showing = false;
    bool m_bannerAtTop = false;
    QBoxLayout *m_layout = nullptr;
    QLabel *m_icon = nullptr;
    QLabel *m_title = nullptr;
    QTimer *m_timer = nullptr;
    QGraphicsOpacityEffect *m_fade = nullptr;
    QPropertyAnimation *m_fadeIn = nullptr;
    QPropertyAnimation *m_popIn = nullptr;
};
