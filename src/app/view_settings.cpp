#include "view_settings.h"

#include "build_settings.h"
#include "console.h"
#include "control_requests.h"
#include "env.h"
#include "localization.h"
#include "main_view_ui.h"
#include "remembered_login.h"
#include "symbol_button.h"
#include "theme.h"
#include "util_db.h"
#include "util_system.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QShowEvent>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int headerDividerWidth = 200;
constexpr int folderFieldWidth = 380;

QString text(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

// The page's framed content: a rounded outline in "frameBorder" at half strength.
class SettingsFrame final : public QWidget
{
public:
    explicit SettingsFrame(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("settingsFrame")); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor border = Theme::color(QStringLiteral("frameBorder"));
        border.setAlphaF(0.5);
        painter.setPen(QPen(border, 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QWidget *sectionHeader(QWidget *parent, const char *name, const QString &title)
{
    auto *header = new QWidget(parent);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *label = new QLabel(title, header);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(Theme::font(16, QFont::Bold));
    layout->addWidget(label);
    layout->addWidget(new SettingLineDivider(headerDividerWidth, header));
    layout->addStretch(1);
    return header;
}

QToolButton *symbolButton(QWidget *parent, const char *name, const char *symbol, const QString &toolTip)
{
    auto *button = new SymbolButton(QString::fromLatin1(symbol), Theme::color(QStringLiteral("activeButton")), toolTip, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIconSize(QSize(20, 20));
    return button;
}

} // namespace

SettingLineDivider::SettingLineDivider(int width, QWidget *parent) : QWidget(parent)
{
    // The line with a little room above and below it; the line itself is the whole width.
    setFixedSize(width, 9);
}

void SettingLineDivider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor gray = Theme::color(QStringLiteral("gray"));
    gray.setAlphaF(0.5);
    painter.fillRect(QRect(0, height() / 2, width(), 1), gray);
}

ViewSettings::ViewSettings(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("viewSettings"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(framePadding, framePadding, framePadding, framePadding);

    auto *frame = new SettingsFrame(this);
    auto *content = new QVBoxLayout(frame);
    content->setContentsMargins(framePadding, framePadding, framePadding, framePadding);
    content->setSpacing(12);
    content->addWidget(buildFolderSection());
    auto *divider = new SettingLineDivider(frameWidth, frame);
    // The line is as wide as the content; in a small window it, like the frame, takes what there is.
    divider->setMinimumWidth(0);
    divider->setMaximumWidth(frameWidth);
    divider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    content->addWidget(divider);
    content->addWidget(buildLoginSection());
    frame->setMaximumWidth(frameWidth + 2 * framePadding);

    outer->addWidget(frame);
    outer->addStretch(1);
}

ViewSettings::~ViewSettings() = default;

QString ViewSettings::cfgPrefix()
{
    return QStringLiteral("\u25E6  ");
}

QWidget *ViewSettings::buildFolderSection()
{
    auto *section = new QWidget(this);
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(sectionHeader(section, "folderTitle", text("Settings_DefaultFolder")));

    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    auto *label = new QLabel(cfgPrefix() + text("Settings_DFFile"), section);
    label->setObjectName(QStringLiteral("folderLabel"));
    label->setTextFormat(Qt::PlainText);
    // The folder is chosen, never typed; it can still be selected and copied.
    m_folderField = new QLineEdit(section);
    m_folderField->setObjectName(QStringLiteral("downloadFolderField"));
    m_folderField->setReadOnly(true);
    // 380 wide, narrower only in a small window.
    m_folderField->setMinimumWidth(160);
    m_folderField->setMaximumWidth(folderFieldWidth);
    m_folderField->setMinimumHeight(26);
    m_folderField->setFont(Theme::font(14));
    QPalette fieldPalette = m_folderField->palette();
    fieldPalette.setColor(QPalette::Base, QColor(0xf3, 0xf6, 0xf9));
    m_folderField->setPalette(fieldPalette);
    QToolButton *choose = symbolButton(section, "chooseFolderButton", "rectangle.and.pencil.and.ellipsis",
                                       localizedString(QStringLiteral("Settings_ChooseFolderTip")));
    QToolButton *open = symbolButton(section, "openFolderButton", "folder.fill.badge.gearshape",
                                     localizedString(QStringLiteral("Settings_OpenFolderTip")));
    connect(choose, &QToolButton::clicked, this, &ViewSettings::chooseDownloadFolder);
    connect(open, &QToolButton::clicked, this, &ViewSettings::openDownloadFolder);
    row->addWidget(label);
    row->addWidget(m_folderField, 1);
    row->addWidget(choose);
    row->addWidget(open);
    // What the field leaves goes after the buttons; the field takes the spare room first.
    row->addStretch(0);
    layout->addLayout(row);
    return section;
}

QWidget *ViewSettings::buildLoginSection()
{
    auto *section = new QWidget(this);
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(sectionHeader(section, "loginTitle", text("Login_Button_Login")));
    m_rememberMe = new QCheckBox(text("Login_Check_RememberMe"), section);
    m_rememberMe->setObjectName(QStringLiteral("rememberMeSwitch"));
    m_rememberMe->setCursor(Qt::PointingHandCursor);
    // Only the user's clicks are saved; the value read from the table is not written back.
    connect(m_rememberMe, &QCheckBox::clicked, this, &ViewSettings::onRememberMeChanged);
    layout->addWidget(m_rememberMe, 0, Qt::AlignLeft);
    return section;
}

void ViewSettings::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Selecting the page again reads everything again; a window coming back from the task bar
    // does not.
    if (!event->spontaneous())
        onAppear();
}

void ViewSettings::onAppear()
{
    m_isRememberMe = RememberedLogin::isOn();
    m_downloadSaveAt = UtilDB::getIcon(QString::fromLatin1(UtilDB::keySaveAtDir));
    m_receiveSaveAt = UtilDB::getIcon(QString::fromLatin1(UtilDB::keyMyReceivedFolder));
    m_rememberMe->setChecked(m_isRememberMe);
    // Empty until a folder is stored: the page writes no default of its own.
    m_folderField->setText(m_downloadSaveAt);
    fetchContactCode();
}

void ViewSettings::fetchContactCode()
{
    // The token is data inside the query, not URL syntax.
    const CallHttpInfo info{QString::fromUtf8(BuildSettings::apiBaseUrl) + QStringLiteral("account/acode/get/index.php?Token=")
                                + QString::fromLatin1(QUrl::toPercentEncoding(Env::userInfo.Token)),
                            5};
    const QPointer<ViewSettings> alive(this);
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::CallHttp), info, true,
                                     [alive](const std::optional<LenientJson> &answer) {
                                         if (alive)
                                             alive->onContactCodeReply(answer);
                                     });
}

void ViewSettings::onContactCodeReply(const std::optional<LenientJson> &answer)
{
    if (!answer)
        return;
    const QString replyText = answer->stringValue();
    const LenientJson reply = LenientJson::parse(replyText);
    if (reply.parseFailed()) {
        Console::printLine(QStringLiteral("Json error : ") + replyText);
        return;
    }
    if (reply["Result"].int64Value() == 1)
        m_contactCode = reply["Info"].stringValue();
}

void ViewSettings::chooseDownloadFolder()
{
    const QPointer<ViewSettings> alive(this);
    UtilSystem::selectPathAsync(QString::fromLatin1(UtilSystem::choosePathTitle), true, [alive](const QString &paths) {
        if (alive)
            alive->saveDownloadFolder(paths);
    }, this);
}

void ViewSettings::saveDownloadFolder(const QString &path)
{
    // A cancelled panel answers "", several folders a "|"-joined text: neither is a folder.
    if (UtilSystem::getPathType(path) != 2)
        return;
    const bool saved = UtilDB::setIcon(QString::fromLatin1(UtilDB::keySaveAtDir), path);
    // The field shows what is stored, so a failed save leaves the old folder in view.
    if (saved)
        m_downloadSaveAt = path;
    m_folderField->setText(m_downloadSaveAt);
    reportSave(saved);
}

void ViewSettings::openDownloadFolder()
{
    // With nothing stored there is no folder to show, and none is made here.
    if (m_downloadSaveAt.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(UtilSystem::appendEndSeparator(m_downloadSaveAt)));
}

void ViewSettings::onRememberMeChanged(bool isRememberMe)
{
    // Turning it off forgets the remembered sign-in with it, all or nothing.
    const bool saved = RememberedLogin::setOn(isRememberMe);
    if (saved)
        m_isRememberMe = isRememberMe;
    m_rememberMe->setChecked(m_isRememberMe);
    reportSave(saved);
}

void ViewSettings::reportSave(bool saved)
{
    MainViewUi *parent = MainViewUi::current();
    if (!parent)
        return;
    if (saved)
        parent->showToast(QStringLiteral("Setting saved."));
    else
        parent->showUpdateResult(false);
}
