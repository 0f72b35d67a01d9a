#include "main_view.h"

#include "bridge_message.h"
#include "console.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "divider.h"
#include "env.h"
#include "focus_return.h"
#include "host_name_fetcher.h"
#include "local_share_store.h"
#include "localization.h"
#include "login_result.h"
#include "login_view.h"
#include "main_banner_view.h"
#include "main_view_pages.h"
#include "placeholder_page.h"
#include "receive_files_sheet.h"
#include "sharing_obj_list.h"
#include "side_nav_item_view.h"
#include "text_color.h"
#include "theme.h"
#include "toast_overlay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString selectedColor = QStringLiteral("ColorMain0");
const QString unselectedColor = QStringLiteral("navDisabled");
const QString selectedBorder = QStringLiteral("activeBorder");
// Unselected borders before the first selection; after it they take unselectedColor.
const QString initialBorder = QStringLiteral("navBG");

// The rule under the banner: a hairline divider outlined by a rounded stroke of 3 in
// "bannerBorder", which together read as one rounded bar, 5 in from each end.
class BannerRule final : public QWidget
{
public:
    explicit BannerRule(QWidget *parent) : QWidget(parent)
    {
        setFixedHeight(4);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::color(QStringLiteral("bannerBorder")));
        const QRectF bar = QRectF(rect()).adjusted(5, 0, -5, 0);
        painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
    }
};

// Paints widget with the base colour: the banner and the page area are white, the side
// navigation keeps the window's soft grey.
void useBaseBackground(QWidget *widget)
{
    widget->setAutoFillBackground(true);
    widget->setBackgroundRole(QPalette::Base);
}

} // namespace

MainView::MainView(QWidget *parent)
    : QMainWindow(parent),
      m_colorShowingView{selectedColor, unselectedColor, unselectedColor, unselectedColor},
      m_colorShowingViewBorder{selectedBorder, initialBorder, initialBorder, initialBorder},
      m_sharingObjList(new SharingObjList(this)),
      m_dialogConfirmSetting(new DialogConfirmSetting(this)),
      m_dialogInputSetting(new DialogInput_Setting(this)),
      m_hostNameFetcher(new HostNameFetcher(this))
{
    setWindowTitle(localizedString(QStringLiteral("Fenmar")));
    setMinimumSize(minimumWidth, minimumHeight);
    resize(1000, 680);

    m_timer.setInterval(1000);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MainView::onTimerTick);
    connect(m_hostNameFetcher, &HostNameFetcher::hostNameReported, this, &MainView::onHostNameReported);

    buildLayout();

    m_toastOverlay = new ToastOverlay(centralWidget(), ToastOverlay::kMainWindowDuration);
    connect(m_toastOverlay, &ToastOverlay::showingChanged, this, [this](bool showing) { m_isShowToast = showing; });

    // The window's panels give the keyboard back to the control that opened them, or to the page.
    m_confirmView = new DialogConfirmView(m_dialogConfirmSetting, this);
    m_confirmView->setObjectName(QStringLiteral("mainConfirmDialog"));
    m_confirmView->setFocusReturn(m_pages);
    connect(m_confirmView, &QDialog::finished, this, [this] { m_isShowConfirmDialog = false; });
    m_inputView = new DialogInputView(m_dialogInputSetting, true, this);
    m_inputView->setObjectName(QStringLiteral("mainInputDialog"));
    m_inputView->setFocusReturn(m_pages);
    connect(m_inputView, &QDialog::finished, this, [this] { m_isShowDialog_Input = false; });

    m_loginView = new LoginView(this);
    // No control opens the login sheet: once it closes the keyboard goes to the page.
    m_loginView->setFocusReturn(m_pages, false);
    connect(m_loginView, &LoginView::accountReplaced, this, &MainView::onUserInfoReplaced);
    connect(m_loginView, &QDialog::finished, this, [this] { setIsShowLogin(false); });
    m_loginResultProcessor = std::make_unique<LoginResultProcessor>(*m_loginView);
    BridgeMessage::loginResultHandler = m_loginResultProcessor.get();

    // The receive-files sheet opens and closes with the state that contacts' offers write.
    if (ReceiveFilesSheet *receiveSheet = ReceiveFilesSheet::make(*this, this)) {
        receiveSheet->setObjectName(QStringLiteral("receiveSheet"));
        receiveSheet->setFocusReturn(m_pages);
        connect(this, &MainView::ctlViewReceiveFileChanged, receiveSheet, &ReceiveFilesSheet::onStateChanged);
    }
}

MainView::~MainView()
{
    if (BridgeMessage::loginResultHandler == m_loginResultProcessor.get())
        BridgeMessage::loginResultHandler = nullptr;
    if (Env::globalMainView == this)
        Env::globalMainView = nullptr;
}

void MainView::buildLayout()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("mainContent"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_banner = new Main_BannerView(*this, pageTitles(), localizedString(QStringLiteral("MemberType_FreeUser")),
                                   localizedString(QStringLiteral("MemberType_Std")),
                                   localizedString(QStringLiteral("MemberType_Adv")),
                                   localizedString(QStringLiteral("MemberType_Exp")),
                                   localizedString(QStringLiteral("MemberType_Ano")), central);
    m_banner->setObjectName(QStringLiteral("banner"));
    useBaseBackground(m_banner);
    column->addWidget(m_banner);
    auto *rule = new BannerRule(central);
    rule->setObjectName(QStringLiteral("bannerRule"));
    useBaseBackground(rule);
    column->addWidget(rule);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_navigation = buildNavigation();
    row->addWidget(m_navigation);
    // The divider starts a little below the rule rather than touching it.
    auto *dividerColumn = new QVBoxLayout;
    dividerColumn->setContentsMargins(0, 5, 0, 0);
    QFrame *divider = makeDivider(Qt::Vertical, central);
    divider->setObjectName(QStringLiteral("navigationDivider"));
    dividerColumn->addWidget(divider);
    row->addLayout(dividerColumn);
    row->addWidget(buildPageContent(), 1);
    column->addLayout(row, 1);

    setCentralWidget(central);
}

QWidget *MainView::buildNavigation()
{
    auto *navigation = new QWidget(this);
    navigation->setObjectName(QStringLiteral("sideNavigation"));
    auto *layout = new QVBoxLayout(navigation);
    // Each button brings its own room above it; the version text its own above and below.
    layout->setContentsMargins(13, 10, 5, 0);
    layout->setSpacing(0);

    struct Item {
        const char *icon;
        qint64 index;
        const char *name;
    };
    const QStringList titles = pageTitles();
    for (const Item &item : {Item{"globe", pageLocalShares, "navLocalShares"},
                             Item{"person.icloud.fill", pageRemoteHosts, "navRemoteHosts"},
                             Item{"gearshape.circle.fill", pageSettings, "navSettings"}}) {
        auto *button = new SideNavItemView(*this, QString::fromLatin1(item.icon), item.index, navigation);
        button->setObjectName(QString::fromLatin1(item.name));
        button->setToolTip(titles.at(item.index));
        button->setAccessibleName(titles.at(item.index));
        layout->addSpacing(10);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    layout->addStretch(1);
    layout->addSpacing(10);

    auto *version = new QLabel(QStringLiteral("Ver. ") + Env::appVersion, navigation);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setFont(Theme::font(11));
    setTextColor(version, Theme::color(QStringLiteral("gray")));
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addSpacing(5);
    return navigation;
}

QWidget *MainView::buildPageContent()
{
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    useBaseBackground(m_pages);
    const QStringList titles = pageTitles();
    const char *symbols[pageCount] = {"globe", "person.icloud.fill", "paperplane.fill", "gearshape.circle.fill"};
    const char *names[pageCount] = {"pageLocalShares", "pageRemoteHosts", "pageSendFiles", "pageSettings"};
    for (int i = 0; i < pageCount; ++i) {
        QWidget *page = makeMainViewPage(*this, i, m_pages);
        if (!page)
            page = new PlaceholderPage(QString::fromLatin1(symbols[i]), titles.at(i), m_pages);
        page->setObjectName(QString::fromLatin1(names[i]));
        m_pages->addWidget(page);
    }
    m_pages->setCurrentIndex(int(m_iViewIndex));
    return m_pages;
}

QStringList MainView::pageTitles()
{
    return {localizedString(QStringLiteral("Banner_Func_LocalSharing")),
            localizedString(QStringLiteral("Banner_Func_RemoteSharing")),
            localizedString(QStringLiteral("Banner_Func_SendFile")),
            localizedString(QStringLiteral("Banner_Func_Settings"))};
}

void MainView::selectPage(qint64 p)
{
    if (p < 0 || p >= pageCount)
        return;
    m_iViewIndex = p;
    for (qint64 i = 0; i < pageCount; ++i) {
        const size_t at = size_t(i);
        m_isShowingView[at] = i == p;
        m_colorShowingView[at] = i == p ? selectedColor : unselectedColor;
        m_colorShowingViewBorder[at] = i == p ? selectedBorder : unselectedColor;
    }
    m_pages->setCurrentIndex(int(p));
    focusPage();
    emit pageSelected(p);
}

void MainView::focusPage()
{
    // The keyboard goes with the page the user chose, to its first control.
    QWidget *page = m_pages->currentWidget();
    if (!FocusReturn::toFirstControl(page))
        page->setFocus(Qt::OtherFocusReason);
}

const UserInfo &MainView::userInfo() const
{
    return Env::userInfo;
}

void MainView::onUserInfoReplaced()
{
    emit userInfoChanged();
}

void MainView::reloadSharingList()
{
    Console::printLine(QStringLiteral("ReloadSharingList"));
    m_sharingObjList->setItems(LocalShare_List(QString(), false, false));
}

void MainView::setCtlViewReceiveFile(const CtlViewReceiveFile &state)
{
    m_ctlViewReceiveFile = state;
    emit ctlViewReceiveFileChanged();
}

void MainView::presentToast(const AlertToast &toast)
{
    m_alertToast = toast;
    m_isShowToast = true;
    m_toastOverlay->present(toast);
}

void MainView::showConfirmDialog()
{
    m_isShowConfirmDialog = true;
    m_confirmView->open();
}

void MainView::showInputDialog()
{
    m_isShowDialog_Input = true;
    m_inputView->open();
}

void MainView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    onAppear();
}

void MainView::onAppear()
{
    Env::globalMainView = this;
    MainViewUi::setCurrent(this);
    if (m_hasAppeared)
        return;
    // Once per run: a window shown again after being minimised keeps its state and its sheet.
    m_hasAppeared = true;
    m_timer.start();
    // The sheet opens over the window once the window is on screen.
    QTimer::singleShot(0, this, [this] { setIsShowLogin(true); });
}

void MainView::setIsShowLogin(bool shown)
{
    if (m_isShowLogin == shown)
        return;
    m_isShowLogin = shown;
    m_navigation->setVisible(!shown);
    if (shown)
        m_loginView->open();
    emit isShowLoginChanged(shown);
    if (!shown)
        reloadSharingList();
}
