#include "remote_host_row.h"

#include "localization.h"
#include "remote_symbols.h"
#include "symbol_button.h"
#include "theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

RemoteHostRow::RemoteHostRow(const RemoteSharing &host, QWidget *parent) : QFrame(parent), m_host(host)
{
    setObjectName(QStringLiteral("remoteHostRow"));
    setFixedHeight(60);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("#remoteHostRow { background: white; border: 1px solid %1; border-radius: 8px; }"
                                 "#remoteHostRow:hover { border-color: %2; }")
                      .arg(Theme::color(QStringLiteral("bannerBorder")).name(),
                           Theme::color(QStringLiteral("activeBorder")).name()));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 8, 10, 8);
    row->setSpacing(12);

    auto *icon = new QLabel(this);
    icon->setPixmap(Theme::symbolPixmap(QStringLiteral("desktopcomputer"), QSize(30, 30),
                                        Theme::color(QStringLiteral("ColorMain0")), devicePixelRatioF()));
    row->addWidget(icon);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto *name = new QLabel(host.displayName(), this);
    name->setObjectName(QStringLiteral("hostNameLabel"));
    name->setTextFormat(Qt::PlainText);
    name->setFont(Theme::font(14, QFont::DemiBold));
    auto *detail = new QLabel(detailText(host), this);
    detail->setObjectName(QStringLiteral("hostDetailLabel"));
    detail->setTextFormat(Qt::PlainText);
    detail->setFont(Theme::font(12));
    QPalette gray = detail->palette();
    gray.setColor(QPalette::WindowText, Theme::color(QStringLiteral("gray")));
    detail->setPalette(gray);
    texts->addWidget(name);
    texts->addWidget(detail);
    row->addLayout(texts, 1);

    if (!host.password.isEmpty()) {
        auto *lock = new QLabel(this);
        lock->setObjectName(QStringLiteral("lockIcon"));
        lock->setToolTip(localizedString(QStringLiteral("LS_AccessCode")));
        lock->setPixmap(Theme::symbolPixmap(QStringLiteral("lock.square"), QSize(18, 18),
                                            Theme::color(QStringLiteral("gray")), devicePixelRatioF()));
        row->addWidget(lock);
    }

    const QColor blue = Theme::color(QStringLiteral("ColorMain0"));
    connect(addButton(QStringLiteral("pencil"), blue, localizedString(QStringLiteral("RS_EditHost")), QStringLiteral("editButton")),
            &QToolButton::clicked, this, &RemoteHostRow::editRequested);
    connect(addButton(QStringLiteral("trash.fill"), Theme::color(QStringLiteral("btnRed")), localizedString(QStringLiteral("RS_DeleteHost")),
                      QStringLiteral("deleteButton")),
            &QToolButton::clicked, this, &RemoteHostRow::deleteRequested);
    QToolButton *open = addButton(QStringLiteral("chevron.left"), blue, localizedString(QStringLiteral("RS_OpenHost")), QStringLiteral("openButton"));
    open->setIcon(RemoteSymbols::mirrored(QStringLiteral("chevron.left"), blue));
    connect(open, &QToolButton::clicked, this, &RemoteHostRow::openRequested);
}

RemoteHostRow::~RemoteHostRow() = default;

QToolButton *RemoteHostRow::addButton(const QString &symbol, const QColor &tint, const QString &tip,
                                      const QString &objectName)
{
    auto *button = new SymbolButton(symbol, tint, tip, this);
    button->setObjectName(objectName);
    layout()->addWidget(button);
    return button;
}

QString RemoteHostRow::detailText(const RemoteSharing &host)
{
    const QString tag = host.hosttag.isEmpty() ? localizedString(QStringLiteral("RS_DefaultShare")) : host.hosttag;
    QString line = localizedString(QStringLiteral("RS_HostName")) + QStringLiteral(": ") + host.hostname + QStringLiteral("   ·   ")
                   + localizedString(QStringLiteral("RS_HostTag")) + QStringLiteral(": ") + tag;
    return line;
}

void RemoteHostRow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit openRequested();
    QFrame::mouseDoubleClickEvent(event);
}
