#include "dialog_loading.h"

#include "dialog_loading_setting.h"
#include "theme.h"

#include <QEasingCurve>
#include <QElapsedTimer>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kDotCount = 4;
constexpr int kDotSize = 10;
constexpr int kDotGap = 8;
// One swing of a dot between its two sizes, and how much later each next dot starts.
constexpr qint64 kSwingMs = 500;
constexpr qint64 kStaggerMs = 200;

// Four gray dots that pulse between full and half size, each a little after the one before.
class PulsingDots final : public QWidget
{
public:
    explicit PulsingDots(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("loadingDots"));
        setFixedSize(kDotCount * kDotSize + (kDotCount - 1) * kDotGap, kDotSize + 4);
        m_frame = new QTimer(this);
        m_frame->setInterval(33);
        connect(m_frame, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    }

protected:
    void showEvent(QShowEvent *) override
    {
        m_clock.start();
        m_frame->start();
    }
    void hideEvent(QHideEvent *) override { m_frame->stop(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::color(QStringLiteral("gray")));
        const qint64 ms = m_clock.isValid() ? m_clock.elapsed() : 0;
        for (int i = 0; i < kDotCount; ++i) {
            const qreal d = kDotSize * DialogLoading::dotScale(i, ms);
            const QPointF centre(kDotSize / 2.0 + i * (kDotSize + kDotGap), height() / 2.0);
            painter.drawEllipse(centre, d / 2.0, d / 2.0);
        }
    }

private:
    QTimer *m_frame = nullptr;
    QElapsedTimer m_clock;
};

} // namespace

DialogLoading::DialogLoading(DialogLoadingSetting *setting, QWidget *parent) : QWidget(parent), m_setting(setting)
{
    setObjectName(QStringLiteral("dialogLoading"));
    setMinimumSize(300, 80);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch(1);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("loadingTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(Theme::font(14, QFont::Bold));
    m_title->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_title, 0, Qt::AlignHCenter);
    m_dots = new PulsingDots(this);
    layout->addWidget(m_dots, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    m_tickTimer = new QTimer(this);
    m_tickTimer->setInterval(1000);
    connect(m_tickTimer, &QTimer::timeout, this, &DialogLoading::onTimerTick);

    if (m_setting)
        connect(m_setting, &DialogLoadingSetting::changed, this, &DialogLoading::refresh);
    refresh();
}

DialogLoading::~DialogLoading() = default;

bool DialogLoading::isCounting() const
{
    return m_tickTimer->isActive();
}

qreal DialogLoading::dotScale(int index, qint64 ms)
{
    const qint64 t = ms - index * kStaggerMs;
    if (t <= 0)
        return 0.5;
    const qint64 swing = t / kSwingMs;
    const qreal progress = QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(qreal(t % kSwingMs) / kSwingMs);
    // Even swings grow, odd swings shrink back.
    const qreal grown = (swing % 2 == 0) ? progress : 1.0 - progress;
    return 0.5 + 0.5 * grown;
}

void DialogLoading::onTimerTick()
{
    ++m_timerCounter;
    if (!m_setting || m_timerCounter <= m_setting->maxWaiting())
        return;
    m_tickTimer->stop();
    const QPointer<DialogLoading> alive(this);
    const DialogLoadingSetting::Action action = m_setting->actionTimeout();
    if (m_hidesAtLimit)
        hide();
    Q_EMIT limitReached();
    if (alive && action)
        action();
}

void DialogLoading::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    m_timerCounter = 0;
    m_tickTimer->start();
}

void DialogLoading::hideEvent(QHideEvent *event)
{
    m_tickTimer->stop();
    QWidget::hideEvent(event);
}

void DialogLoading::refresh()
{
    const QString title = m_setting ? m_setting->title() : QString();
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
}

DialogLoadingSheet::DialogLoadingSheet(DialogLoadingSetting *setting, QWidget *parent) : SheetDialog(parent)
{
    setObjectName(QStringLiteral("dialogLoadingSheet"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    m_loading = new DialogLoading(setting, this);
    // The sheet, not the indicator inside it, is what closes at the limit.
    m_loading->setHidesAtLimit(false);
    layout->addWidget(m_loading);
    connect(m_loading, &DialogLoading::limitReached, this, &QDialog::reject);
}

DialogLoadingSheet::~DialogLoadingSheet() = default;
