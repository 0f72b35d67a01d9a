#include "sharing_tag_edit_view.h"

#include "alert_toast.h"
#include "local_share_store.h"
#include "localization.h"
#include "shares_look.h"
#include "theme.h"
#include "toast_overlay.h"
#include "util_system.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString text(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

} // namespace

SharingTagEditView::SharingTagEditView(SharingObjPtr share, QWidget *parent)
    : SheetDialog(parent), m_sharingObj(std::move(share))
{
    setObjectName(QStringLiteral("sharingTagEditView"));
    setFixedSize(sheetWidth, sheetHeight);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    titleLabel()->setText(text("LS_EditSharingTag"));

    auto *content = new QVBoxLayout;
    content->setContentsMargins(24, 0, 24, 16);
    content->setSpacing(8);
    content->addStretch(1);

    // Always the stored tag's link, not the text being typed.
    m_link = new QLabel(this);
    m_link->setObjectName(QStringLiteral("linkLabel"));
    m_link->setTextFormat(Qt::PlainText);
    m_link->setTextInteractionFlags(Qt::TextSelectableByMouse);
    content->addWidget(m_link);

    auto *entry = new QHBoxLayout;
    entry->setSpacing(8);
    auto *label = new QLabel(localizedString(QStringLiteral("Edit Tag:")), this);
    label->setObjectName(QStringLiteral("editTagLabel"));
    m_tagField = SharesLook::entryField(this, "tagField", QString());
    entry->addWidget(label);
    entry->addWidget(m_tagField, 1);
    content->addLayout(entry);
    content->addStretch(1);

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    m_ok = buttons->addButton(localizedString(QStringLiteral("OK")), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_cancel = buttons->addButton(localizedString(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton *button : {m_ok, m_cancel})
        button->setMinimumWidth(66);
    // Return belongs to the field, which saves; a default button would save a second time.
    setWithoutDefaultButton();
    content->addWidget(buttons);
    layout->addLayout(content, 1);

    m_toast = new ToastOverlay(this, ToastOverlay::kPanelDuration);

    connect(m_ok, &QPushButton::clicked, this, &SharingTagEditView::saveTag);
    connect(m_tagField, &QLineEdit::returnPressed, this, &SharingTagEditView::saveTag);
    connect(m_cancel, &QPushButton::clicked, this, &SharingTagEditView::cancelEdit);
    connect(m_sharingObj.get(), &SharingObj::tagChanged, this, &SharingTagEditView::refreshLink);
    refreshLink();
}

SharingTagEditView::~SharingTagEditView() = default;

QString SharingTagEditView::tagValue() const
{
    return m_tagField->text();
}

void SharingTagEditView::showEvent(QShowEvent *event)
{
    onAppear();
    SheetDialog::showEvent(event);
}

void SharingTagEditView::onAppear()
{
    m_tagField->setText(m_sharingObj->tag());
    m_tagField->selectAll();
    m_tagField->setFocus();
    refreshLink();
}

void SharingTagEditView::refreshLink()
{
    m_link->setText(m_sharingObj->getTagURL());
}

void SharingTagEditView::saveTag()
{
    // A stored rename is finishing; a second OK must not rename again.
    if (m_saving)
        return;
    SharingObj &share = *m_sharingObj;
    const QString value = tagValue();
    if (share.tag() == value) {
        accept();
        return;
    }
    if (!UtilSystem::isValidTag(value)) {
        showToast(text("Sys_Toast_CharNum"));
        return;
    }
    // Letter case aside, so a change of case alone finds the share itself.
    if (LocalShare_Exists(value)) {
        showToast(text("LS_ExistsSharingTag"));
        return;
    }
    share.setTagOld(share.tag());
    share.setTag(value);
    if (!LocalShare_Update(share)) {
        // The store kept the share under its old tag: so does the share, or a later save of it
        // would store it a second time under the new one.
        share.setTag(share.tagOld());
        share.setTagOld(QString());
        showToast(text("Sys_Update_Failed"));
        return;
    }
    m_saving = true;
    QTimer::singleShot(0, this, &SharingTagEditView::finishSave);
}

void SharingTagEditView::finishSave()
{
    m_sharingObj->updateTagURL();
    accept();
}

void SharingTagEditView::cancelEdit()
{
    m_sharingObj->setTagOld(QString());
    reject();
}

void SharingTagEditView::showToast(const QString &message)
{
    m_toast->present(AlertToast::banner(message));
}
