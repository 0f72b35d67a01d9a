#include "toast_overlay.h"

#include "theme.h"

#include <QBoxLayout>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QTimer>

namespace {

// Room around the bubble for its shadow.
constexpr int kShadow = 8;
constexpr int kRadius = 12;
constexpr int kBannerRadius = 10;
// Gap between a banner and the host's lower edge.
constexpr int kBannerGap = 10;
constexpr int kResultIcon = 40;
constexpr int kBannerIcon = 20;

} // namespace

ToastOverlay::ToastOverlay(QWidget *host, std::chrono::milliseconds duration)
    : QWidget(host), m_host(host), m_duration(duration)
{
    setObjectName(QStringLiteral("toastOverlay"));
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("toastIcon"));
    m_icon->setAlignment(Qt::AlignCenter);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("toastTitle"));
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_icon->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_layout = new QBoxLayout(QBoxLayout::TopToBottom, this);
    m_layout->addWidget(m_icon, 0, Qt::AlignCenter);
    m_layout->addWidget(m_title, 0, Qt::AlignCenter);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    // A coarse timer may end the toast up to 5 % early; the toast stays its whole time.
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(m_duration);
    connect(m_timer, &QTimer::timeout, this, &ToastOverlay::dismiss);

    m_fade = new QGraphicsOpacityEffect(this);
    m_fade->setOpacity(1.0);
    setGraphicsEffect(m_fade);
    m_fadeIn = new QPropertyAnimation(m_fade, "opacity", this);
    m_fadeIn->setDuration(160);
    m_fadeIn->setStartValue(0.0);
    m_fadeIn->setEndValue(1.0);
    // Banners pop up from a little below their place.
    m_popIn = new QPropertyAnimation(this, "pos", this);
    m_popIn->setDuration(180);
    m_popIn->setEasingCurve(QEasingCurve::OutBack);

    if (host)
        host->installEventFilter(this);
    hide();
}

ToastOverlay::~ToastOverlay() = default;

void ToastOverlay::present(const AlertToast &toast)
{
    m_toast = toast;
    applyLook();
    placeOnHost();
    raise();
    show();
    m_fadeIn->stop();
    m_fadeIn->start();
    if (m_toast.look() == AlertToast::Look::Banner) {
        m_popIn->setStartValue(pos() + QPoint(0, m_bannerAtTop ? -14 : 14));
        m_popIn->setEndValue(pos());
        m_popIn->start();
    }
    m_timer->start();
    if (!m_showing) {
        m_showing = true;
        Q_EMIT showingChanged(true);
    }
}

void ToastOverlay::dismiss()
{
    m_timer->stop();
    m_fadeIn->stop();
    m_popIn->stop();
    hide();
    if (m_showing) {
        m_showing = false;
        Q_EMIT showingChanged(false);
    }
}

void ToastOverlay::applyLook()
{
    const bool banner = m_toast.look() == AlertToast::Look::Banner;
    const bool result = m_toast.look() == AlertToast::Look::Result;

    m_layout->setDirection(banner ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    m_layout->setSpacing(banner ? 10 : 8);
    if (banner)
        m_layout->setContentsMargins(kShadow + 14, kShadow + 10, kShadow + 16, kShadow + 10);
    else if (result)
        m_layout->setContentsMargins(kShadow + 22, kShadow + 18, kShadow + 22, kShadow + 16);
    else
        m_layout->setContentsMargins(kShadow + 20, kShadow + 12, kShadow + 20, kShadow + 12);

    const qreal ratio = devicePixelRatioF();
    if (banner) {
        m_icon->setPixmap(Theme::symbolPixmap(QStringLiteral("info.square.fill"), QSize(kBannerIcon, kBannerIcon),
                                              Theme::color(QStringLiteral("yellow")), ratio));
        m_icon->show();
    } else if (result) {
        const QString symbol = m_toast.isSuccess() ? QStringLiteral("checkmark") : QStringLiteral("xmark");
        const QColor tint = Theme::color(m_toast.isSuccess() ? QStringLiteral("green") : QStringLiteral("red"));
        m_icon->setPixmap(Theme::symbolPixmap(symbol, QSize(kResultIcon, kResultIcon), tint, ratio));
        m_icon->show();
    } else {
        m_icon->clear();
        m_icon->hide();
    }
    m_layout->setAlignment(m_icon, banner ? Qt::AlignVCenter : Qt::AlignCenter);
    m_layout->setAlignment(m_title, banner ? Qt::AlignVCenter | Qt::AlignLeft : Qt::AlignCenter);

    m_title->setFont(Theme::font(banner ? 13 : 14, result ? QFont::DemiBold : QFont::Medium));
    m_title->setAlignment(banner ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    m_title->setText(m_toast.title());
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x29, 0x35));
    m_title->setPalette(palette);
    m_title->setVisible(!m_toast.title().isEmpty() || !m_icon->isVisible());
}

void ToastOverlay::placeOnHost()
{
    if (!m_host)
        return;
    m_popIn->stop();
    const QRect area = m_host->rect();
    const bool banner = m_toast.look() == AlertToast::Look::Banner;
    const QMargins margins = m_layout->contentsMargins();

    // The text wraps within what the host leaves for it; a short title keeps its own width.
    int textRoom;
    if (banner) {
        const int bannerWidth = qMin(area.width() - 2 * 12 + 2 * kShadow, 560);
        textRoom = bannerWidth - margins.left() - margins.right() - kBannerIcon - m_layout->spacing();
    } else {
        textRoom = qMin(area.width() - 48 - margins.left() - margins.right(), 300);
    }
    textRoom = qMax(textRoom, 60);
    const int natural = m_title->fontMetrics().horizontalAdvance(m_toast.title()) + 4;
    const int textWidth = banner ? textRoom : qMax(qMin(natural, textRoom), 1);
    m_title->setFixedSize(textWidth, qMax(m_title->heightForWidth(textWidth), m_title->fontMetrics().height()));
    m_layout->invalidate();
    QSize size = m_layout->sizeHint();
    // A result reads as a square badge, as wide as it is tall at least.
    if (m_toast.look() == AlertToast::Look::Result)
        size.setWidth(qMax(size.width(), qMax(size.height(), 150 + 2 * kShadow)));
    resize(size);
    const int x = area.center().x() - size.width() / 2 + 1;
    int y = area.center().y() - size.height() / 2;
    if (banner)
        y = m_bannerAtTop ? area.top() + kBannerGap - kShadow : area.bottom() - kBannerGap - size.height() + kShadow;
    move(x, y);
}

bool ToastOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_host && event->type() == QEvent::Resize && m_showing)
        placeOnHost();
    return QWidget::eventFilter(watched, event);
}

void ToastOverlay::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    dismiss();
}

void ToastOverlay::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool banner = m_toast.look() == AlertToast::Look::Banner;
    const qreal radius = banner ? kBannerRadius : kRadius;
    const QRectF bubble = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);

    // A soft shadow, a little below the bubble: stacked faint rounded rectangles.
    painter.setPen(Qt::NoPen);
    for (int i = kShadow; i >= 1; --i) {
        painter.setBrush(QColor(15, 25, 40, 4));
        const QRectF layer = bubble.adjusted(-i * 0.6, -i * 0.3, i * 0.6, i * 0.9);
        painter.drawRoundedRect(layer, radius + i * 0.6, radius + i * 0.6);
    }
    painter.setBrush(QColor(0xff, 0xff, 0xff, 248));
    painter.setPen(QPen(QColor(0xdc, 0xe3, 0xea), 1));
    painter.drawRoundedRect(bubble.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (banner) {
        // A yellow edge marks the banner as a hint about the panel under it.
        QPainterPath clip;
        clip.addRoundedRect(bubble, radius, radius);
        painter.setClipPath(clip);
        painter.fillRect(QRectF(bubble.left(), bubble.top(), 4, bubble.height()), Theme::color(QStringLiteral("yellow")));
    }
}
