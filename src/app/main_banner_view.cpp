#include "main_banner_view.h"

#include "env.h"
#include "localization.h"
#include "main_view.h"
#include "text_color.h"
#include "theme.h"
#include "util_system.h"
#include "web_pages.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace {

constexpr int logoWidth = 60;
constexpr int badgeWidth = 120;
constexpr int badgeSymbolSize = 32;
constexpr int badgeBottomMargin = 20;
// How far the account's name and its member type sit below the symbol's middle.
constexpr int nameOffset = 25;
constexpr int memberTypeOffset = 40;

QLabel *makeLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

// Places label's line across the badge with its middle at y; gives the line's foot.
int placeLine(QLabel *label, int y)
{
    const int height = label->fontMetrics().height();
    const int top = y - height / 2;
    label->setGeometry(0, top, badgeWidth, height);
    return top + height;
}

} // namespace

Main_BannerView::Main_BannerView(MainView &parent, const QStringList &titles, const QString &memberTypeFreeUser,
                                 const QString &memberTypeStd, const QString &memberTypeAdv,
                                 const QString &memberTypeExp, const QString &memberTypeAno, QWidget *parentWidget)
    : QWidget(parentWidget),
      m_parent(parent),
      m_subViewTitles(titles),
      m_MemberType_FreeUser(memberTypeFreeUser),
      m_memberType_Std(memberTypeStd),
      m_MemberType_Adv(memberTypeAdv),
      m_MemberType_Exp(memberTypeExp),
      m_MemberType_Ano(memberTypeAno)
{
    auto *row = new QHBoxLayout(this);
    // Room above and at the left; the badge keeps its own room below.
    row->setContentsMargins(10, 20, 0, 0);
    row->setSpacing(10);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("bannerLogo"));
    logo->setPixmap(Theme::logo(logoWidth, devicePixelRatioF()));
    logo->setContentsMargins(0, 2, 0, 0);
    row->addWidget(logo, 0, Qt::AlignVCenter);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    QLabel *product = makeLabel(localizedString(QStringLiteral("Fenmar")), Theme::font(36, QFont::Bold), this);
    product->setObjectName(QStringLiteral("bannerProduct"));
    QLabel *dash = makeLabel(QStringLiteral("-"), Theme::font(24), this);
    dash->setContentsMargins(0, 5, 0, 0);
    m_title = makeLabel(QString(), Theme::font(24), this);
    m_title->setObjectName(QStringLiteral("bannerTitle"));
    m_title->setContentsMargins(0, 5, 0, 0);
    titleRow->addWidget(product, 0, Qt::AlignVCenter);
    titleRow->addWidget(dash, 0, Qt::AlignVCenter);
    titleRow->addWidget(m_title, 0, Qt::AlignVCenter);
    row->addLayout(titleRow);
    row->addStretch(1);

    m_badge = new QWidget(this);
    m_badge->setObjectName(QStringLiteral("accountBadge"));
    m_badge->setCursor(Qt::PointingHandCursor);
    m_badge->installEventFilter(this);
    // Reached with Tab as well; Return or Space opens the console as a click does.
    m_badge->setFocusPolicy(Qt::TabFocus);
    m_badge->setToolTip(localizedString(QStringLiteral("Banner_ConsoleTip")));
    m_badge->setAttribute(Qt::WA_StyledBackground);
    m_badge->setStyleSheet(QStringLiteral("#accountBadge:focus { border: 2px solid %1; border-radius: 6px; }")
                               .arg(Theme::color(QStringLiteral("activeBorder")).name()));
    auto *symbol = new QLabel(m_badge);
    symbol->setObjectName(QStringLiteral("accountSymbol"));
    symbol->setPixmap(Theme::symbolPixmap(QStringLiteral("person.crop.circle.fill"), {badgeSymbolSize, badgeSymbolSize},
                                          Theme::color(QStringLiteral("ColorMain0")), devicePixelRatioF()));
    symbol->setGeometry((badgeWidth - badgeSymbolSize) / 2, 0, badgeSymbolSize, badgeSymbolSize);
    m_accountName = makeLabel(QString(), Theme::font(13), m_badge);
    m_accountName->setObjectName(QStringLiteral("accountName"));
    m_accountName->setAlignment(Qt::AlignHCenter);
    m_memberType = makeLabel(QString(), Theme::font(10), m_badge);
    m_memberType->setObjectName(QStringLiteral("memberTypeLabel"));
    m_memberType->setAlignment(Qt::AlignHCenter);
    setTextColor(m_memberType, Theme::color(QStringLiteral("gray")));
    // The two lines hang below the symbol's middle by their offsets; the badge keeps its room below
    // the symbol, and grows past it only as far as the member type's line reaches.
    const int symbolMiddle = badgeSymbolSize / 2;
    const int nameFoot = placeLine(m_accountName, symbolMiddle + nameOffset);
    const int memberTypeFoot = placeLine(m_memberType, symbolMiddle + memberTypeOffset);
    m_badge->setFixedSize(badgeWidth, std::max({badgeSymbolSize + badgeBottomMargin, nameFoot, memberTypeFoot}));
    row->addWidget(m_badge, 0, Qt::AlignVCenter);

    connect(&m_parent, &MainView::pageSelected, this, &Main_BannerView::refresh);
    connect(&m_parent, &MainView::userInfoChanged, this, &Main_BannerView::refresh);
    refresh();
}

QString Main_BannerView::memberTypeLabel() const
{
    switch (Env::userInfo.mbr_type) {
    case 0:
        return m_MemberType_FreeUser;
    case 2:
        return m_memberType_Std;
    case 3:
        return m_MemberType_Adv;
    case 4:
        return m_MemberType_Exp;
    default:
        return m_MemberType_Ano;
    }
}

void Main_BannerView::openWebConsole()
{
    UtilSystem::openURL(WebPages::console());
}

bool Main_BannerView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_badge && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && m_badge->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        openWebConsole();
        return true;
    }
    if (watched == m_badge && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            openWebConsole();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Main_BannerView::refresh()
{
    const qint64 index = m_parent.iViewIndex();
    m_title->setText(index >= 0 && index < m_subViewTitles.size() ? m_subViewTitles.at(index) : QString());
    // The name exactly as the record holds it, "Anonymous" before any login included.
    const QString name = m_parent.userInfo().name_acc;
    m_accountName->setText(m_accountName->fontMetrics().elidedText(name, Qt::ElideRight, badgeWidth));
    m_accountName->setToolTip(name);
    m_memberType->setText(memberTypeLabel());
}
