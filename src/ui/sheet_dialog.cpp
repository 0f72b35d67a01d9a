#include "sheet_dialog.h"

#include "focus_return.h"
#include "localization.h"
#include "theme.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

// Runs once the panel has closed and what its closing set off is done: the page may have rebuilt,
// hidden or turned off the control that opened it meanwhile.
void giveFocusBack(QWidget *owner, QWidget *opener, QWidget *area)
{
    if (FocusReturn::canTake(opener)) {
        opener->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Where the page has placed the keyboard meanwhile (on the same button of a row made anew, on
    // itself while it is busy) it stays.
    QWidget *current = owner->window()->focusWidget();
    if (FocusReturn::canTake(current) && area->isAncestorOf(current))
        return;
    if (FocusReturn::toFirstControl(area) || (area != owner && !owner->isWindow() && FocusReturn::toFirstControl(owner)))
        return;
    area->setFocus(Qt::OtherFocusReason);
}

} // namespace

SheetDialog::SheetDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowModality(Qt::WindowModal);
    setAutoFillBackground(false);
}

SheetDialog::~SheetDialog() = default;

void SheetDialog::centreOnWindow()
{
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner || owner == this)
        return;
    const QRect area = owner->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void SheetDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (m_withoutDefault)
        clearDefaultButtons();
    // Follows the window it belongs to for as long as it shows.
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    m_opener = owner && m_returnsToOpener ? owner->focusWidget() : nullptr;
    if (owner != m_followed) {
        if (m_followed)
            m_followed->removeEventFilter(this);
        m_followed = owner;
        if (m_followed)
            m_followed->installEventFilter(this);
    }
    centreOnWindow();
    // A window manager may place a new window by its own rule once it is mapped; the sheet takes
    // its place again after that.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            centreOnWindow();
    });
}

void SheetDialog::setFocusReturn(QWidget *area, bool toOpener)
{
    m_focusArea = area;
    m_returnsToOpener = toOpener;
}

void SheetDialog::clearDefaultButtons()
{
    for (QPushButton *button : findChildren<QPushButton *>()) {
        // Panels opened over this one are windows of their own, with their own default.
        if (button->window() != this)
            continue;
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

void SheetDialog::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous() && m_followed) {
        m_followed->removeEventFilter(this);
        m_followed = nullptr;
    }
    QDialog::hideEvent(event);
    QWidget *owner = parentWidget();
    if (event->spontaneous() || !owner)
        return;
    // Later, and without this panel, which may be deleted when it closes.
    const QPointer<QWidget> opener = std::exchange(m_opener, nullptr);
    const QPointer<QWidget> area = m_focusArea ? m_focusArea.data() : owner;
    QTimer::singleShot(0, owner, [owner, opener, area] {
        if (area)
            giveFocusBack(owner, opener, area);
    });
}

void SheetDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // A sheet that grows or shrinks with its content stays in the middle.
    if (isVisible())
        centreOnWindow();
}

bool SheetDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_followed && (event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible())
        centreOnWindow();
    return QDialog::eventFilter(watched, event);
}

void SheetDialog::addTitleRow(QVBoxLayout *layout)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(8, 8, 8, 0);
    row->setSpacing(5);

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setIcon(Theme::icon(QStringLiteral("multiply.circle.fill"), Theme::color(QStringLiteral("btnRed"))));
    m_close->setIconSize(QSize(16, 16));
    m_close->setAutoRaise(true);
    // Escape does what the icon does; Tab goes through the panel's own controls.
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setToolTip(localizedString(QStringLiteral("Sys_Close")));
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
    connect(m_close, &QToolButton::clicked, this, &QDialog::reject);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(Theme::font(14, QFont::Bold));
    m_title->setAlignment(Qt::AlignCenter);

    row->addWidget(m_close, 0, Qt::AlignTop);
    row->addStretch(1);
    row->addWidget(m_title);
    row->addStretch(1);
    // Balances the close icon so that the heading sits in the panel's middle.
    row->addSpacing(m_close->sizeHint().width());
    layout->addLayout(row);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedHeight(1);
    divider->setStyleSheet(QStringLiteral("color: #dfe5eb; background: #dfe5eb;"));
    layout->addSpacing(6);
    layout->addWidget(divider);
}

SheetDialog::ButtonRow SheetDialog::addButtonRow(QVBoxLayout *layout, const QString &okText, const QString &cancelText,
                                                 int bottomInset)
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("buttonRow"));
    auto *buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(8, 0, 0, bottomInset);
    // 10 after OK and 8 before Cancel; a hidden Cancel takes the spacing with it.
    buttons->setSpacing(10 + 8);
    const auto addButton = [&](const QString &text, const char *name) {
        auto *button = new QPushButton(text, row);
        button->setObjectName(QString::fromLatin1(name));
        button->setMinimumWidth(66);
        buttons->addWidget(button);
        return button;
    };
    // Made in this order, so that Tab goes from OK to Cancel.
    QPushButton *ok = addButton(okText, "okButton");
    QPushButton *cancel = addButton(cancelText, "cancelButton");
    // Centred with its inset: the buttons themselves sit 4 right of the panel's middle.
    layout->addWidget(row, 0, Qt::AlignHCenter);
    return {ok, cancel};
}

void SheetDialog::fitHeightToContent()
{
    // adjustSize() would measure a wrapped text at the content's preferred width, not at the
    // panel's. resize() keeps to the least height.
    QLayout *content = layout();
    resize(width(), content->hasHeightForWidth() ? content->totalHeightForWidth(width()) : content->totalSizeHint().height());
}

void SheetDialog::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    // Padded by 1, stroked 2 wide: the stroke's outer edge touches the padding.
    const QRectF frame = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(Theme::color(QStringLiteral("frameBorder")), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 8, 8);
}
