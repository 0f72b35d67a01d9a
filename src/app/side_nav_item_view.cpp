#include "side_nav_item_view.h"

#include "main_view.h"
#include "theme.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>

SideNavItemView::SideNavItemView(MainView &parent, const QString &icon, qint64 index, QWidget *parentWidget)
    : QAbstractButton(parentWidget), m_parent(parent), m_icon(icon), m_index(index)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, &SideNavItemView::onTap);
    // The window's colour lists change with every selection; each button redraws from them.
    connect(&m_parent, &MainView::pageSelected, this, qOverload<>(&QWidget::update));
}

void SideNavItemView::select(MainView &parent, qint64 p)
{
    parent.selectPage(p);
}

QSize SideNavItemView::sizeHint() const
{
    // The border's stroke is centred on the tile's edge: half of it lies outside the tile.
    const int side = iconSize + 2 * margin + borderWidth;
    return {side, side};
}

void SideNavItemView::onTap()
{
    select(m_parent, m_index);
}

void SideNavItemView::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SideNavItemView::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SideNavItemView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const qsizetype i = qsizetype(m_index);
    const QColor symbolColor = Theme::color(m_parent.colorShowingView()[size_t(i)]);
    const QColor borderColor = Theme::color(m_parent.colorShowingViewBorder()[size_t(i)]);
    QColor background = Theme::color(QStringLiteral("navBG"));
    if (m_hovered && !m_parent.isShowingView()[size_t(i)])
        background = background.darker(104);

    const qreal inset = borderWidth / 2.0;
    const QRectF tile = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(tile, cornerRadius, cornerRadius);
    painter.fillPath(path, background);

    const QRect symbolRect((width() - iconSize) / 2, (height() - iconSize) / 2, iconSize, iconSize);
    painter.drawPixmap(symbolRect, Theme::symbolPixmap(m_icon, symbolRect.size(), symbolColor, devicePixelRatioF()));

    painter.setPen(QPen(borderColor, borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    if (hasFocus()) {
        painter.setPen(QPen(Theme::color(QStringLiteral("activeBorder")), 1, Qt::DotLine));
        painter.drawRoundedRect(tile.adjusted(inset + 2, inset + 2, -inset - 2, -inset - 2), cornerRadius - 4, cornerRadius - 4);
    }
}
