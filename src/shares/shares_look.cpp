#include "shares_look.h"

#include "symbol_button.h"
#include "theme.h"

#include <QLineEdit>

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

SymbolButton *iconButton(QWidget *parent, const char *name, const char *symbol, const QString &toolTip)
{
    auto *button = new SymbolButton(QString::fromLatin1(symbol), Theme::color(QStringLiteral("activeButton")), toolTip,
                                    parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIconSize(QSize(iconSize + 2, iconSize + 2));
    return button;
}

QColor accessCodeColor()
{
    return QColor(0x8e, 0x44, 0xad);
}

} // namespace SharesLook
