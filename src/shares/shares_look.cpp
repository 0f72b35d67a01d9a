#include "shares_look.h"

#include "theme.h"

#include <QLineEdit>
#include <QToolButton>

namespace SharesLook {

QLineEdit *entryField(QWidget *parent, const char *name, const QString &placeholder)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(placeholder);
    field->setFont(Theme::font(12));
    field->setMinimumHeight(24);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, Theme::color(QStringLiteral("editTextColor")));
    field->setPalette(palette);
    return field;
}

QLineEdit *displayField(QWidget *parent, const char *name, const QString &placeholder)
{
    QLineEdit *field = entryField(parent, name, placeholder);
    field->setReadOnly(true);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, QColor(0xf3, 0xf6, 0xf9));
    field->setPalette(palette);
    return field;
}

QToolButton *iconButton(QWidget *parent, const char *name, const char *symbol)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Theme::icon(QString::fromLatin1(symbol), Theme::color(QStringLiteral("activeButton"))));
    button->setIconSize(QSize(iconSize + 2, iconSize + 2));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QColor accessCodeColor()
{
    return QColor(0x8e, 0x44, 0xad);
}

} // namespace SharesLook
