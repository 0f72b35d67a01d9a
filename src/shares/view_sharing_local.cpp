#include "view_sharing_local.h"

#include "alert_toast.h"
#include "env.h"
#include "local_share_store.h"
#include "localization.h"
#include "main_view_ui.h"
#include "shares_look.h"
#include "sharing_obj_list.h"
#include "theme.h"
#include "util_system.h"
#include "view_sharing_detail.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString text(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

// One share's card: its detail pane inside a rounded outline in "frameBorder".
class ShareCard final : public QWidget
{
public:
    ShareCard(ViewSharingDetail *pane, QWidget *parent) : QWidget(parent), m_pane(pane)
    {
        setObjectName(QStringLiteral("shareCard"));
        auto *layout = new QVBoxLayout(this);
        const int padding = SharesLook::cardPadding;
        layout->setContentsMargins(padding, padding, padding, padding);
        pane->setParent(this);
        layout->addWidget(pane);
        fitHeight();
        // A narrow card holds one row more.
        connect(pane, &ViewSharingDetail::compactChanged, this, &ShareCard::fitHeight);
    }

    ViewSharingDetail *pane() const { return m_pane; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::color(QStringLiteral("frameBorder")), 1));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }

private:
    // The card's usual height, or more where its rows need it.
    void fitHeight()
    {
        const int content = qMax(SharesLook::cardContentHeight, m_pane->minimumSizeHint().height());
        setFixedHeight(content + 2 * SharesLook::cardPadding);
    }

    ViewSharingDetail *m_pane;
};

QPushButton *headerButton(QWidget *parent, const char *name, const char *symbol)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Theme::icon(QString::fromLatin1(symbol), Theme::color(QStringLiteral("activeButton"))));
    button->setIconSize(QSize(SharesLook::iconSize, SharesLook::iconSize));
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

ViewSharingLocal::ViewSharingLocal(SharingObjList &list, const QString &consoleUrl, QWidget *parent)
    : QWidget(parent), m_list(list), m_consoleUrl(consoleUrl)
{
    setObjectName(QStringLiteral("viewSharingLocal"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // At the top also while it is all the page shows (behind the login sheet).
    layout->addWidget(buildHeader(), 0, Qt::AlignTop);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("shareScroll"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *cards = new QWidget(m_scroll);
    cards->setObjectName(QStringLiteral("shareCards"));
    m_cards = new QVBoxLayout(cards);
    m_cards->setContentsMargins(10, 10, 10, 10);
    m_cards->setSpacing(20);
    m_cards->addStretch(1);
    m_scroll->setWidget(cards);
    layout->addWidget(m_scroll, 1);

    m_noShareNotice = new QLabel(text("LS_NoHost"), this);
    m_noShareNotice->setObjectName(QStringLiteral("noShareNotice"));
    m_noShareNotice->setTextFormat(Qt::PlainText);
    m_noShareNotice->setAlignment(Qt::AlignCenter);
    m_noShareNotice->setWordWrap(true);
    m_noShareNotice->setContentsMargins(20, 20, 20, 20);
    QPalette muted = m_noShareNotice->palette();
    muted.setColor(QPalette::WindowText, Theme::color(QStringLiteral("gray")));
    m_noShareNotice->setPalette(muted);
    layout->addWidget(m_noShareNotice, 1);

    connect(&m_list, &SharingObjList::itemsChanged, this, &ViewSharingLocal::rebuildCards);
    rebuildCards();
}

ViewSharingLocal::~ViewSharingLocal() = default;

QWidget *ViewSharingLocal::buildHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("sharesHeader"));
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(15, 20, 5, 0);
    layout->setSpacing(10);
    layout->addStretch(1);
    m_consoleButton = headerButton(header, "consoleButton", "square.and.pencil");
    m_addButton = headerButton(header, "addShareButton", "plus.rectangle.fill");
    connect(m_consoleButton, &QPushButton::clicked, this, &ViewSharingLocal::openWebConsole);
    connect(m_addButton, &QPushButton::clicked, this, &ViewSharingLocal::addShare);
    layout->addWidget(m_consoleButton);
    layout->addWidget(m_addButton);
    return header;
}

void ViewSharingLocal::refreshHeader()
{
    const UserInfo &account = Env::userInfo;
    m_consoleButton->setVisible(!m_isShowLogin);
    m_consoleButton->setText(text("LS_ChangeHost") + QStringLiteral(" (") + account.hostname + u')');
    // Behind the login sheet the add button keeps its place but says nothing.
    if (m_isShowLogin) {
        m_addButton->setText(QString());
        m_addButton->setIcon(QIcon());
    } else {
        m_addButton->setText(text("LS_CreateHost") + QStringLiteral("  (") + QString::number(m_list.items().size())
                             + u'/' + QString::number(account.maxsharecount) + u')');
        m_addButton->setIcon(Theme::icon(QStringLiteral("plus.rectangle.fill"), Theme::color(QStringLiteral("activeButton"))));
    }
}

void ViewSharingLocal::refreshBody()
{
    const bool hasShares = !m_list.items().isEmpty();
    m_scroll->setVisible(hasShares);
    m_noShareNotice->setVisible(!hasShares && !m_isShowLogin);
}

void ViewSharingLocal::rebuildCards()
{
    // Cards of shares still listed stay; the others go once the current event is handled, since
    // the change may come from inside one of their panes (a removal).
    QHash<QUuid, QPointer<QWidget>> kept;
    for (const SharingObjPtr &share : m_list.items()) {
        QPointer<QWidget> card = m_cardByShare.take(share->id());
        if (!card) {
            auto *pane = new ViewSharingDetail(share, m_list);
            card = new ShareCard(pane, m_cards->parentWidget());
        }
        kept.insert(share->id(), card);
    }
    for (const QPointer<QWidget> &gone : std::as_const(m_cardByShare)) {
        if (gone) {
            gone->hide();
            m_cards->removeWidget(gone);
            gone->deleteLater();
        }
    }
    m_cardByShare = kept;

    int at = 0;
    for (const SharingObjPtr &share : m_list.items()) {
        QWidget *card = m_cardByShare.value(share->id());
        m_cards->removeWidget(card);
        m_cards->insertWidget(at++, card);
        card->show();
        // Every redraw brings the links up to date with the account's host name.
        SharingObj *obj = share.get();
        QTimer::singleShot(0, obj, [obj] { obj->updateTagURL(); });
    }
    refreshHeader();
    refreshBody();
}

QList<ViewSharingDetail *> ViewSharingLocal::panes() const
{
    QList<ViewSharingDetail *> result;
    for (const SharingObjPtr &share : m_list.items()) {
        if (auto *card = static_cast<ShareCard *>(m_cardByShare.value(share->id()).data()))
            result << card->pane();
    }
    return result;
}

void ViewSharingLocal::setIsShowLogin(bool shown)
{
    m_isShowLogin = shown;
    refreshHeader();
    refreshBody();
}

void ViewSharingLocal::onUserInfoChanged()
{
    rebuildCards();
}

void ViewSharingLocal::openWebConsole()
{
    UtilSystem::openURL(m_consoleUrl);
}

void ViewSharingLocal::addShare()
{
    const qsizetype count = m_list.items().size();
    if (count >= Env::userInfo.maxsharecount) {
        if (MainViewUi *parent = MainViewUi::current())
            parent->showToast(text("Sys_MaxLimitExceed"));
        return;
    }
    const QPointer<ViewSharingLocal> alive(this);
    UtilSystem::selectPathAsync(QString::fromLatin1(UtilSystem::choosePathTitle), true, [alive](const QString &paths) {
        if (alive)
            alive->addSharePath(paths);
    }, this);
}

void ViewSharingLocal::addSharePath(const QString &path)
{
    // Nothing exists at a cancelled panel's "" or at several folders joined with "|".
    if (UtilSystem::getPathType(path) == 0)
        return;
    MainViewUi *parent = MainViewUi::current();
    if (!LocalShare_Add(path)) {
        if (parent)
            parent->presentToast(AlertToast::result(false, QStringLiteral("Path Alread Exists!")));
        return;
    }
    if (parent)
        parent->presentToast(AlertToast::result(true, QStringLiteral("Done!")));
    m_list.setItems(LocalShare_List(QString(), false, false));
}
