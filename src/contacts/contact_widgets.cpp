#include "contact_widgets.h"

#include "theme.h"

#include <QLabel>
#include <QPushButton>

namespace ContactWidgets {

void stylePrimaryButton(QPushButton *button)
{
    const QString name = button->objectName();
    button->setStyleSheet(QStringLiteral("QPushButton#%1 { background: %2; color: white; border: none;"
                                         " border-radius: 6px; padding: 6px 16px; font-weight: 600; }"
                                         " QPushButton#%1:hover { background: %3; }"
                                         " QPushButton#%1:focus { border: 2px solid %5; padding: 4px 14px; }"
                                         " QPushButton#%1:disabled { background: %4; }")
                              .arg(name, Theme::color(QStringLiteral("ColorMain0")).name(),
                                   Theme::color(QStringLiteral("ColorMain0")).darker(112).name(),
                                   Theme::color(QStringLiteral("navDisabled")).name(), Theme::focusOnBlue().name()));
}

QLabel *plainLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setTextColor(QLabel *label, const QString &colorName)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::color(colorName));
    label->setPalette(palette);
}

} // namespace ContactWidgets
