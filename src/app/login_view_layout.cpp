// What the login sheet looks like: banner, the two fields, the remember-me switch, the buttons
// (after a short wait), and the links to the service's web pages.

#include "login_view.h"

#include "dialog_loading.h"
#include "divider.h"
#include "dialog_loading_setting.h"
#include "fenmar_banner_view.h"
#include "localization.h"
#include "theme.h"
#include "util_system.h"
#include "web_pages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int labelWidth = 90;
constexpr int fieldWidth = 240;
constexpr int fieldHeight = 38;
constexpr int buttonWidth = 80;
constexpr int buttonHeight = 30;
constexpr int fieldFontSize = 12;
// The room all round the e-mail, button and links rows, and round the notice.
constexpr int rowPadding = 20;
constexpr int noticePadding = 10;

QLineEdit *makeField(const QString &placeholder, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(fieldWidth, fieldHeight);
    field->setFont(Theme::font(fieldFontSize));
    field->setTextMargins(6, 0, 6, 0);
    return field;
}

// A row of a label column and a field, centred in the sheet.
QHBoxLayout *fieldRow(const QString &label, QLineEdit *field, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *text = new QLabel(label, parent);
    text->setTextFormat(Qt::PlainText);
    text->setFixedWidth(labelWidth);
    text->setBuddy(field);
    row->addWidget(text);
    row->addWidget(field);
    row->addStretch(1);
    return row;
}

QString link(const QString &href, const QString &text)
{
    return QStringLiteral("<a href=\"%1\" style=\"text-decoration:none;\">%2</a>")
        .arg(href.toHtmlEscaped(), text.toHtmlEscaped());
}

QLabel *linkLabel(const QString &html, QWidget *parent)
{
    auto *label = new QLabel(html, parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label, [](const QString &url) { UtilSystem::openURL(url); });
    return label;
}

// widget with padding of room on every side. The room is the layout's: a label's own margins are
// reset when it is polished while still smaller than them.
QVBoxLayout *padded(QWidget *widget, int padding)
{
    auto *box = new QVBoxLayout;
    box->setContentsMargins(padding, padding, padding, padding);
    box->addWidget(widget);
    return box;
}

QPushButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setMinimumWidth(buttonWidth);
    button->setMinimumHeight(buttonHeight);
    // Return in a field does nothing: no button may act as the sheet's default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

void LoginView::buildLayout()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(3, 3, 3, 3);
    column->setSpacing(0);

    column->addWidget(new FenmarBannerView(this));
    column->addWidget(makeDivider(Qt::Horizontal, this));
    column->addStretch(1);

    m_email = makeField(localizedString(QStringLiteral("Login_YourEmail")), this);
    m_email->setObjectName(QStringLiteral("emailField"));
    m_password = makeField(localizedString(QStringLiteral("Login_YourPassword")), this);
    m_password->setObjectName(QStringLiteral("passwordField"));
    m_password->setEchoMode(QLineEdit::Password);
    // The e-mail row has 20 of room all round; the password row follows that room directly.
    column->addSpacing(rowPadding);
    column->addLayout(fieldRow(localizedString(QStringLiteral("Login_Email")), m_email, this));
    column->addSpacing(rowPadding);
    column->addLayout(fieldRow(localizedString(QStringLiteral("Login_Password")), m_password, this));
    column->addSpacing(14);

    auto *rememberRow = new QHBoxLayout;
    rememberRow->addStretch(1);
    rememberRow->addSpacing(labelWidth);
    m_rememberMe = new QCheckBox(localizedString(QStringLiteral("Login_Check_RememberMe")), this);
    m_rememberMe->setObjectName(QStringLiteral("rememberMeSwitch"));
    m_rememberMe->setChecked(true);
    m_rememberMe->setFixedWidth(fieldWidth);
    rememberRow->addWidget(m_rememberMe);
    rememberRow->addStretch(1);
    column->addLayout(rememberRow);
    connect(m_rememberMe, &QCheckBox::toggled, this, &LoginView::onRememberMeChanged);

    // The buttons appear a few ticks after the sheet, once the program has settled; until then
    // an untitled waiting indicator holds their place.
    m_buttonRow = new QStackedWidget(this);
    m_buttonRow->setObjectName(QStringLiteral("loginButtonRow"));
    m_buttonRow->setFixedHeight(rowPadding + buttonHeight + rowPadding);
    m_waitingSetting = new DialogLoadingSetting(QString(), this);
    m_waiting = new DialogLoading(m_waitingSetting, m_buttonRow);
    m_waiting->setObjectName(QStringLiteral("loginWaiting"));
    m_waiting->setHidesAtLimit(false);
    // In place of the buttons it keeps to their row's height.
    m_waiting->setMinimumHeight(0);
    m_buttonRow->addWidget(m_waiting);

    auto *buttons = new QDialogButtonBox(m_buttonRow);
    buttons->setCenterButtons(true);
    buttons->setContentsMargins(rowPadding, rowPadding, rowPadding, rowPadding);
    m_login = makeButton(localizedString(QStringLiteral("Login_Button_Login")), buttons);
    m_login->setObjectName(QStringLiteral("loginButton"));
    m_login->setEnabled(!m_isDiableInput);
    m_login->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px;"
                                          " padding: 4px 14px; font-weight: bold; }"
                                          "QPushButton:hover { background: %2; }"
                                          "QPushButton:focus { border: 2px solid %4; padding: 2px 12px; }"
                                          "QPushButton:disabled { background: %3; }")
                               .arg(Theme::color(QStringLiteral("activeButton")).name(),
                                    Theme::color(QStringLiteral("activeButton")).darker(112).name(),
                                    Theme::color(QStringLiteral("navDisabled")).name(), Theme::focusOnBlue().name()));
    m_cancel = makeButton(localizedString(QStringLiteral("Login_Button_Cancel")), buttons);
    m_cancel->setObjectName(QStringLiteral("loginCancelButton"));
    buttons->addButton(m_login, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    // Return in a field does nothing, as before the box picked a default of its own.
    setWithoutDefaultButton();
    m_buttonRow->addWidget(buttons);
    column->addWidget(m_buttonRow);
    connect(m_login, &QPushButton::clicked, this, &LoginView::onLoginButton);
    connect(m_cancel, &QPushButton::clicked, this, &LoginView::onCancelButton);

    column->addStretch(1);
    column->addWidget(makeDivider(Qt::Horizontal, this));

    auto *links = linkLabel(link(WebPages::console(), localizedString(QStringLiteral("Login_PassRecovery")))
                                + QStringLiteral("&nbsp;&nbsp;|&nbsp;&nbsp;")
                                + link(WebPages::registration(), localizedString(QStringLiteral("Login_Register"))),
                            this);
    links->setObjectName(QStringLiteral("loginLinks"));
    links->setAlignment(Qt::AlignCenter);
    column->addLayout(padded(links, rowPadding));

    auto *notice = linkLabel(localizedString(QStringLiteral("Login_Copyright")).toHtmlEscaped() + QStringLiteral("&nbsp;&nbsp;")
                                 + link(WebPages::home(), WebPages::siteName()),
                             this);
    notice->setObjectName(QStringLiteral("loginNotice"));
    notice->setAlignment(Qt::AlignCenter);
    notice->setFont(Theme::font(11));
    column->addLayout(padded(notice, noticePadding));
}

void LoginView::updateButtonRow()
{
    m_buttonRow->setCurrentIndex(m_timerCounter < buttonsFromTick ? 0 : 1);
    // The button box shows only now, and would pick a default of its own.
    clearDefaultButtons();
}
