#include "placeholder_page.h"

#include "text_color.h"
#include "theme.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderPage::PlaceholderPage(const QString &symbol, const QString &title, QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    auto *icon = new QLabel(this);
    icon->setPixmap(Theme::symbolPixmap(symbol, {64, 64}, Theme::color(QStringLiteral("navDisabled")), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignHCenter);
    auto *label = new QLabel(title, this);
    label->setObjectName(QStringLiteral("placeholderTitle"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(Theme::font(18));
    label->setAlignment(Qt::AlignHCenter);
    setTextColor(label, Theme::color(QStringLiteral("navDisabled")));
    layout->addWidget(icon);
    layout->addSpacing(8);
    layout->addWidget(label);
    layout->addStretch(1);
}
