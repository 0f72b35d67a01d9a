#include "view_sharing_remote_edit.h"

#include "alert_toast.h"
#include "localization.h"
#include "theme.h"
#include "toast_overlay.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ViewSharingRemoteEdit::ViewSharingRemoteEdit(const RemoteSharing &host, QWidget *parent)
    : SheetDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("remoteHostEditor"));
    setFixedWidth(460);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    titleLabel()->setText(isNew() ? localizedString(QStringLiteral("RS_AddHost")) : localizedString(QStringLiteral("RS_EditHost")));

    auto *grid = new QGridLayout;
    grid->setContentsMargins(20, 16, 20, 8);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_hostname = addField(grid, 0, localizedString(QStringLiteral("RS_HostName")), QStringLiteral("hostNameField"), localizedString(QStringLiteral("RS_HostNameHint")));
    m_hosttag = addField(grid, 1, localizedString(QStringLiteral("RS_HostTag")), QStringLiteral("hostTagField"), localizedString(QStringLiteral("RS_HostTagHint")));
    m_password = addField(grid, 2, localizedString(QStringLiteral("LS_AccessCode")), QStringLiteral("accessCodeField"), localizedString(QStringLiteral("LS_NoPassword")));
    m_aliasname = addField(grid, 3, localizedString(QStringLiteral("RS_AliasName")), QStringLiteral("aliasField"), localizedString(QStringLiteral("RS_AliasHint")));
    m_password->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    m_hostname->setText(host.hostname);
    m_hosttag->setText(host.hosttag);
    m_password->setText(host.password);
    m_aliasname->setText(host.aliasname);
    layout->addLayout(grid);

    // Adding a host is what the sheet is for: Return in any field, or on no button in particular,
    // saves it.
    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->setContentsMargins(20, 8, 20, 18);
    m_ok = buttons->addButton(localizedString(QStringLiteral("Sys_Button_OK")), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("okButton"));
    auto *cancel = buttons->addButton(localizedString(QStringLiteral("Sys_Button_Cancel")), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton *button : {cancel, m_ok}) {
        button->setMinimumWidth(80);
        button->setAutoDefault(false);
    }
    m_ok->setDefault(true);
    layout->addWidget(buttons);

    m_toast = new ToastOverlay(this, ToastOverlay::kPanelDuration);
    m_toast->setBannerAtTop(true);

    connect(m_ok, &QPushButton::clicked, this, &ViewSharingRemoteEdit::onOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ViewSharingRemoteEdit::~ViewSharingRemoteEdit() = default;

QLineEdit *ViewSharingRemoteEdit::addField(QGridLayout *grid, int row, const QString &label,
                                           const QString &objectName, const QString &placeholder)
{
    auto *caption = new QLabel(label, this);
    caption->setFont(Theme::font(13));
    auto *field = new QLineEdit(this);
    field->setObjectName(objectName);
    field->setPlaceholderText(placeholder);
    field->setMinimumHeight(28);
    field->setFont(Theme::font(13));
    grid->addWidget(caption, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, 1);
    return field;
}

RemoteSharing ViewSharingRemoteEdit::enteredHost() const
{
    RemoteSharing host = m_host;
    host.hostname = m_hostname->text().trimmed();
    host.hosttag = m_hosttag->text().trimmed();
    host.password = m_password->text().trimmed();
    host.aliasname = m_aliasname->text().trimmed();
    return host;
}

void ViewSharingRemoteEdit::refuse(const QString &message, QLineEdit *field)
{
    m_lastRefusal = message;
    m_toast->present(AlertToast::banner(message));
    if (field)
        field->setFocus();
}

void ViewSharingRemoteEdit::onOK()
{
    RemoteSharing host = enteredHost();
    const RemoteHostProblem problem = checkRemoteHost(host);
    if (problem != RemoteHostProblem::None) {
        QLineEdit *field = m_aliasname;
        if (problem == RemoteHostProblem::HostNameMissing || problem == RemoteHostProblem::HostNameInvalid)
            field = m_hostname;
        else if (problem == RemoteHostProblem::TagInvalid)
            field = m_hosttag;
        else if (problem == RemoteHostProblem::PasswordInvalid)
            field = m_password;
        refuse(remoteHostProblemText(problem), field);
        return;
    }
    const bool stored = isNew() ? RemoteSharing_Add(host) : RemoteSharing_Update(host);
    if (!stored) {
        refuse(localizedString(QStringLiteral("Sys_Update_Failed")), nullptr);
        return;
    }
    m_lastRefusal.clear();
    m_host = host;
    accept();
    emit hostSaved(host);
}
