#include "view_contact.h"

#include "contact_store.h"
#include "contact_widgets.h"
#include "delivery_targets.h"
#include "dialog_add_contact.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "localization.h"
#include "main_view_ui.h"
#include "symbol_button.h"
#include "theme.h"
#include "util_system.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using ContactWidgets::plainLabel;
using ContactWidgets::setTextColor;

QFrame *panel(QWidget *parent, const QString &name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: white; border: 1px solid %2; border-radius: 8px; }")
                             .arg(name, Theme::color(QStringLiteral("frameBorder")).name()));
    return frame;
}

QListWidget *plainList(QWidget *parent, const QString &name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setFrameShape(QFrame::NoFrame);
    list->setIconSize(QSize(28, 28));
    list->setStyleSheet(QStringLiteral("QListWidget { background: transparent; outline: none; }"
                                       " QListWidget::item { padding: 5px 4px; border-radius: 6px; color: %1; }"
                                       " QListWidget::item:hover { background: %2; }"
                                       " QListWidget::item:selected { background: %3; color: %1; }")
                            .arg(Theme::color(QStringLiteral("editTextColor")).name(),
                                 Theme::color(QStringLiteral("navBG")).name(), QStringLiteral("#d6e8f6")));
    return list;
}

QLabel *hintLabel(QWidget *parent, const QString &name, const QString &text)
{
    QLabel *label = plainLabel(parent, name, text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    setTextColor(label, QStringLiteral("gray"));
    return label;
}

QPushButton *symbolButton(QWidget *parent, const QString &name, const QString &symbol, const QString &text)
{
    auto *button = new QPushButton(Theme::icon(symbol, Theme::color(QStringLiteral("activeButton"))), text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void toast(const QString &text)
{
    if (MainViewUi *window = MainViewUi::current())
        window->showToast(text);
}

} // namespace

ViewContact::ViewContact(QWidget *parent) : QWidget(parent), m_sender(new ContactSender(this))
{
    setObjectName(QStringLiteral("viewContact"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 14, 16, 16);
    row->setSpacing(14);
    row->addWidget(buildContactList());
    row->addWidget(buildDelivery(), 1);

    m_addDialog = new DialogAddContact(this);
    connect(m_addDialog, &DialogAddContact::contactAdded, this, [this](const ContactPerson &contact) {
        m_currentContactId = contact.contactId;
        reload();
        toast(localizedString(QStringLiteral("Contact_Saved")));
    });
    m_confirmSetting = new DialogConfirmSetting(this);
    m_confirmView = new DialogConfirmView(m_confirmSetting, this);
    m_confirmView->setObjectName(QStringLiteral("removeContactConfirm"));

    connect(m_sender, &ContactSender::changed, this, &ViewContact::refresh);
    reload();
}

ViewContact::~ViewContact() = default;

QWidget *ViewContact::buildContactList()
{
    QFrame *frame = panel(this, QStringLiteral("contactsPanel"));
    frame->setFixedWidth(270);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(8);

    auto *header = new QHBoxLayout;
    QLabel *title = plainLabel(frame, QStringLiteral("contactsTitle"), localizedString(QStringLiteral("Contact_Contacts")));
    title->setFont(Theme::font(15, QFont::Bold));
    header->addWidget(title);
    header->addStretch(1);
    m_addContact = new SymbolButton(QStringLiteral("plus.circle.fill"), Theme::color(QStringLiteral("activeButton")),
                                    localizedString(QStringLiteral("Contact_AddTitle")), frame);
    m_addContact->setObjectName(QStringLiteral("addContactButton"));
    m_addContact->setIconSize(QSize(22, 22));
    header->addWidget(m_addContact);
    layout->addLayout(header);

    m_contactList = plainList(frame, QStringLiteral("contactList"));
    m_noContacts = hintLabel(frame, QStringLiteral("noContactsLabel"), localizedString(QStringLiteral("Contact_NoContacts")));
    layout->addWidget(m_contactList, 1);
    layout->addWidget(m_noContacts, 1);

    m_removeContact = symbolButton(frame, QStringLiteral("removeContactButton"), QStringLiteral("minus.circle.fill"),
                                   localizedString(QStringLiteral("Contact_Remove")));
    layout->addWidget(m_removeContact, 0, Qt::AlignLeft);

    connect(m_addContact, &QToolButton::clicked, this, &ViewContact::showAddContact);
    connect(m_removeContact, &QPushButton::clicked, this, &ViewContact::askRemoveContact);
    connect(m_contactList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_sender->isBusy()) {
            // The delivery under way keeps its contact chosen.
            const QSignalBlocker quiet(m_contactList);
            m_contactList->setCurrentRow(rowOf(m_currentContactId));
            return;
        }
        m_currentContactId = row >= 0 && row < m_contacts.size() ? m_contacts.at(row).contactId : QString();
        refresh();
    });
    return frame;
}

QWidget *ViewContact::buildDelivery()
{
    QFrame *frame = panel(this, QStringLiteral("deliveryPanel"));
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(16, 12, 16, 14);
    layout->setSpacing(8);

    m_recipient = plainLabel(frame, QStringLiteral("recipientLabel"));
    m_recipient->setFont(Theme::font(15, QFont::Bold));
    m_recipientDetail = plainLabel(frame, QStringLiteral("recipientDetail"));
    setTextColor(m_recipientDetail, QStringLiteral("gray"));
    layout->addWidget(m_recipient);
    layout->addWidget(m_recipientDetail);

    auto *itemsTitle = plainLabel(frame, QStringLiteral("itemsTitle"), localizedString(QStringLiteral("Contact_Items")));
    itemsTitle->setFont(Theme::font(13, QFont::DemiBold));
    layout->addSpacing(6);
    layout->addWidget(itemsTitle);

    auto *itemsBox = new QFrame(frame);
    itemsBox->setObjectName(QStringLiteral("itemsBox"));
    itemsBox->setStyleSheet(QStringLiteral("QFrame#itemsBox { background: #f7f9fb; border: 1px solid #dfe5eb;"
                                           " border-radius: 6px; }"));
    auto *itemsLayout = new QVBoxLayout(itemsBox);
    itemsLayout->setContentsMargins(6, 6, 6, 6);
    m_pathList = plainList(itemsBox, QStringLiteral("pathList"));
    m_pathList->setIconSize(QSize(20, 20));
    m_pathList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_noPaths = hintLabel(itemsBox, QStringLiteral("noPathsLabel"), localizedString(QStringLiteral("Contact_NoItems")));
    itemsLayout->addWidget(m_pathList, 1);
    itemsLayout->addWidget(m_noPaths, 1);
    layout->addWidget(itemsBox, 1);

    auto *pathButtons = new QHBoxLayout;
    pathButtons->setSpacing(8);
    m_addFiles = symbolButton(frame, QStringLiteral("addFilesButton"), QStringLiteral("doc.fill"),
                              localizedString(QStringLiteral("Contact_AddFiles")));
    m_addFolders = symbolButton(frame, QStringLiteral("addFoldersButton"), QStringLiteral("folder.fill"),
                                localizedString(QStringLiteral("Contact_AddFolders")));
    m_removePaths = symbolButton(frame, QStringLiteral("removePathsButton"), QStringLiteral("minus.circle.fill"),
                                 localizedString(QStringLiteral("Contact_Remove")));
    pathButtons->addWidget(m_addFiles);
    pathButtons->addWidget(m_addFolders);
    pathButtons->addWidget(m_removePaths);
    pathButtons->addStretch(1);
    layout->addLayout(pathButtons);

    auto *divider = new QFrame(frame);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: #dfe5eb;"));
    layout->addSpacing(4);
    layout->addWidget(divider);

    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(8);
    m_statusIcon = plainLabel(frame, QStringLiteral("statusIcon"));
    m_statusIcon->setFixedSize(20, 20);
    m_status = plainLabel(frame, QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);
    statusRow->addWidget(m_statusIcon, 0, Qt::AlignTop);
    statusRow->addWidget(m_status, 1);
    layout->addLayout(statusRow);

    m_progressBar = new QProgressBar(frame);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(8);
    m_progressText = plainLabel(frame, QStringLiteral("progressLabel"));
    setTextColor(m_progressText, QStringLiteral("gray"));
    layout->addWidget(m_progressBar);
    layout->addWidget(m_progressText);

    auto *actions = new QHBoxLayout;
    actions->addStretch(1);
    m_cancel = new QPushButton(localizedString(LocalizedStringKey("Cancel").stringKey()), frame);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setMinimumWidth(96);
    m_send = new QPushButton(Theme::icon(QStringLiteral("paperplane.fill"), Qt::white),
                             localizedString(QStringLiteral("Contact_Send")), frame);
    m_send->setObjectName(QStringLiteral("sendButton"));
    m_send->setMinimumWidth(110);
    ContactWidgets::stylePrimaryButton(m_send);
    actions->addWidget(m_cancel);
    actions->addWidget(m_send);
    layout->addLayout(actions);

    connect(m_addFiles, &QPushButton::clicked, this, &ViewContact::chooseFiles);
    connect(m_addFolders, &QPushButton::clicked, this, &ViewContact::chooseFolders);
    connect(m_removePaths, &QPushButton::clicked, this, &ViewContact::removeSelectedPaths);
    connect(m_pathList, &QListWidget::itemSelectionChanged, this, &ViewContact::refresh);
    connect(m_send, &QPushButton::clicked, this, &ViewContact::sendNow);
    connect(m_cancel, &QPushButton::clicked, this, &ViewContact::cancel);
    return frame;
}

void ViewContact::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Another account may have signed in since the page was last shown.
    reload();
}

void ViewContact::reload()
{
    m_contacts = ContactPerson_List();
    refreshContacts();
    refresh();
}

void ViewContact::refreshContacts()
{
    const QSignalBlocker quiet(m_contactList);
    m_contactList->clear();
    for (const ContactPerson &contact : std::as_const(m_contacts)) {
        auto *item = new QListWidgetItem(Theme::icon(QStringLiteral("person.crop.circle.fill"),
                                                     Theme::color(QStringLiteral("activeBorder"))),
                                         contact.displayName() + u'\n' + contact.email, m_contactList);
        item->setToolTip(contact.mobile.isEmpty() ? contact.email : contact.email + u'\n' + contact.mobile);
    }
    const int current = rowOf(m_currentContactId);
    m_contactList->setCurrentRow(current);
    if (current < 0)
        m_currentContactId.clear();
}

int ViewContact::rowOf(const QString &contactId) const
{
    for (qsizetype row = 0; row < m_contacts.size(); ++row) {
        if (!contactId.isEmpty() && m_contacts.at(row).contactId == contactId)
            return int(row);
    }
    return -1;
}

void ViewContact::selectContact(int row)
{
    m_contactList->setCurrentRow(row);
}

std::optional<ContactPerson> ViewContact::currentContact() const
{
    const int row = rowOf(m_currentContactId);
    return row >= 0 ? std::optional<ContactPerson>(m_contacts.at(row)) : std::nullopt;
}

void ViewContact::addPaths(const QString &joinedPaths)
{
    m_paths = DeliveryTargets::merged(m_paths, joinedPaths);
    refresh();
}

void ViewContact::removeSelectedPaths()
{
    if (m_sender->isBusy())
        return;
    QStringList kept;
    for (int i = 0; i < m_pathList->count(); ++i) {
        if (!m_pathList->item(i)->isSelected())
            kept << m_paths.value(i);
    }
    m_paths = kept;
    refresh();
}

void ViewContact::chooseFiles()
{
    choosePaths(localizedString(QStringLiteral("Contact_ChooseFilesTitle")), false);
}

void ViewContact::chooseFolders()
{
    choosePaths(localizedString(QStringLiteral("Contact_ChooseFoldersTitle")), true);
}

void ViewContact::choosePaths(const QString &title, bool chooseDir)
{
    QPointer<ViewContact> self(this);
    UtilSystem::selectPathAsync(title, chooseDir, [self](const QString &paths) {
        if (self)
            self->addPaths(paths);
    }, this);
}

void ViewContact::showAddContact()
{
    m_addDialog->clear();
    m_addDialog->open();
}

void ViewContact::askRemoveContact()
{
    const std::optional<ContactPerson> contact = currentContact();
    if (!contact || m_sender->isBusy())
        return;
    const QString contactId = contact->contactId;
    m_confirmSetting->setTitle(localizedString(QStringLiteral("Contact_Remove")));
    m_confirmSetting->setInfo(localizedString(QStringLiteral("Contact_RemoveInfo")).arg(contact->displayName()));
    m_confirmSetting->setIsBtnOK(true);
    m_confirmSetting->setIsBtnCancel(true);
    QPointer<ViewContact> self(this);
    m_confirmSetting->setOkAction([self, contactId] {
        if (self)
            self->removeContact(contactId);
    });
    m_confirmSetting->setCancelAction({});
    m_confirmView->open();
}

bool ViewContact::removeContact(const QString &contactId)
{
    if (m_sender->isBusy() || !ContactPerson_Delete(contactId))
        return false;
    if (contactId == m_currentContactId)
        m_currentContactId.clear();
    reload();
    toast(localizedString(QStringLiteral("Contact_Removed")));
    return true;
}

bool ViewContact::sendNow()
{
    const std::optional<ContactPerson> contact = currentContact();
    if (!contact)
        return false;
    const bool started = m_sender->start(*contact, m_paths);
    refresh();
    return started;
}

void ViewContact::cancel()
{
    m_sender->cancel();
}

QString ViewContact::statusText() const
{
    QString text = m_sender->message();
    const ViewContactState state = m_sender->state();
    if (state == ViewContactState::vcsConnected || state == ViewContactState::vcsWaiting)
        text += QStringLiteral(" ") + localizedString(QStringLiteral("Contact_SecondsLeft")).arg(m_sender->decisionSecondsLeft());
    return text;
}

void ViewContact::refresh()
{
    const bool busy = m_sender->isBusy();
    const ViewContactState state = m_sender->state();
    const std::optional<ContactPerson> contact = currentContact();

    m_contactList->setVisible(!m_contacts.isEmpty());
    m_noContacts->setVisible(m_contacts.isEmpty());
    m_addContact->setEnabled(!busy);
    m_removeContact->setEnabled(contact.has_value() && !busy);

    if (contact) {
        m_recipient->setText(localizedString(QStringLiteral("Contact_SendTo")).arg(contact->displayName()));
        m_recipientDetail->setText(contact->mobile.isEmpty() ? contact->email
                                                             : contact->email + QStringLiteral(" · ") + contact->mobile);
    } else {
        m_recipient->setText(localizedString(QStringLiteral("Contact_ChooseContact")));
        m_recipientDetail->setText(QString());
    }
    m_recipientDetail->setVisible(!m_recipientDetail->text().isEmpty());

    if (m_shownPaths != m_paths) {
        const QSignalBlocker quiet(m_pathList);
        m_pathList->clear();
        for (const QString &path : std::as_const(m_paths)) {
            const bool isFolder = UtilSystem::getPathType(path) == 2;
            const QString symbol = isFolder ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill");
            QString name = UtilSystem::getFileName(path);
            if (UtilSystem::isFile(path))
                name += QStringLiteral("  (") + UtilSystem::formatFileSize(std::uint64_t(UtilSystem::getFileSize(path)))
                        + u')';
            auto *item = new QListWidgetItem(Theme::icon(symbol, Theme::color(QStringLiteral("activeBorder"))), name,
                                             m_pathList);
            item->setToolTip(path);
        }
        m_shownPaths = m_paths;
    }
    m_pathList->setVisible(!m_paths.isEmpty());
    m_noPaths->setVisible(m_paths.isEmpty());
    m_addFiles->setEnabled(!busy);
    m_addFolders->setEnabled(!busy);
    m_removePaths->setEnabled(!busy && !m_pathList->selectedItems().isEmpty());
    m_send->setEnabled(!busy && contact.has_value() && !m_paths.isEmpty());
    m_cancel->setVisible(busy);

    const QString status = statusText();
    m_status->setText(status);
    m_status->setVisible(!status.isEmpty());
    QString symbol;
    QString color;
    switch (state) {
    case ViewContactState::vcsFinished:
        symbol = QStringLiteral("checkmark");
        color = QStringLiteral("green");
        break;
    case ViewContactState::vcsRefused:
    case ViewContactState::vcsCanceled:
    case ViewContactState::vcsStopped:
        symbol = QStringLiteral("multiply.circle.fill");
        color = QStringLiteral("btnRed");
        break;
    case ViewContactState::vcsReady:
        break;
    default:
        symbol = QStringLiteral("arrow.clockwise");
        color = QStringLiteral("activeButton");
        break;
    }
    m_statusIcon->setVisible(!symbol.isEmpty());
    if (!symbol.isEmpty())
        m_statusIcon->setPixmap(Theme::symbolPixmap(symbol, QSize(20, 20), Theme::color(color), devicePixelRatioF()));

    const TransferProgress &progress = m_sender->progress();
    const bool showsProgress = state == ViewContactState::vcsSending || state == ViewContactState::vcsFinished;
    m_progressBar->setVisible(showsProgress);
    m_progressBar->setValue(int(progress.percent * 10));
    m_progressText->setVisible(showsProgress && !progress.describe().isEmpty());
    m_progressText->setText(progress.describe());
}
