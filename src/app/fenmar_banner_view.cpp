#include "fenmar_banner_view.h"

#include "env.h"
#include "localization.h"
#include "text_color.h"
#include "theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int logoWidth = 72;
} // namespace

FenmarBannerView::FenmarBannerView(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(24, 18, 24, 14);
    row->setSpacing(16);

    auto *logo = new QLabel(this);
    logo->setPixmap(Theme::logo(logoWidth, devicePixelRatioF()));
    row->addWidget(logo, 0, Qt::AlignVCenter);

    auto *column = new QVBoxLayout;
    column->setSpacing(2);
    auto *nameRow = new QHBoxLayout;
    nameRow->setSpacing(0);
    auto *name = new QLabel(localizedString(QStringLiteral("Fenmar")), this);
    name->setTextFormat(Qt::PlainText);
    name->setFont(Theme::font(32, QFont::Bold));
    auto *version = new QLabel(QStringLiteral("V") + Env::appVersion, this);
    version->setObjectName(QStringLiteral("loginVersion"));
    version->setTextFormat(Qt::PlainText);
    version->setFont(Theme::font(9));
    nameRow->addWidget(name, 0, Qt::AlignBottom);
    nameRow->addSpacing(2);
    nameRow->addWidget(version, 0, Qt::AlignBottom);
    nameRow->addStretch(1);
    column->addLayout(nameRow);

    auto *subtitle = new QLabel(localizedString(QStringLiteral("Login_SubTitle")), this);
    subtitle->setTextFormat(Qt::PlainText);
    subtitle->setFont(Theme::font(16));
    setTextColor(subtitle, Theme::color(QStringLiteral("gray")));
    column->addWidget(subtitle);
    row->addLayout(column, 1);
}
