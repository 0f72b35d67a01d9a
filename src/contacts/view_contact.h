#pragma once

#include "contact_person.h"
#include "contact_sender.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <optional>

class DialogAddContact;
class DialogConfirmSetting;
class DialogConfirmView;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;

// The page for sending files to contacts: the account's contacts with the add-contact form and
// removal, the files and folders to send, Send and Cancel, and where the delivery stands. The
// delivery itself is the ContactSender's work; the page shows it.
class ViewContact final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewContact)

public:
    explicit ViewContact(QWidget *parent = nullptr);
    ~ViewContact() override;

    ContactSender &sender() { return *m_sender; }
    DialogAddContact &addContactDialog() { return *m_addDialog; }
    DialogConfirmView &removeConfirmDialog() { return *m_confirmView; }

    // Reads the signed-in account's contacts again; the chosen one stays chosen when it is still there.
    void reload();
    const QList<ContactPerson> &contacts() const { return m_contacts; }
    // Chooses the contact at row (-1 for none).
    void selectContact(int row);
    std::optional<ContactPerson> currentContact() const;

    // The files and folders to send.
    const QStringList &paths() const { return m_paths; }
    // Adds the "|"-joined paths that an open panel chose.
    void addPaths(const QString &joinedPaths);
    void removeSelectedPaths();
    void chooseFiles();
    void chooseFolders();

    // Opens the add-contact form.
    void showAddContact();
    // Asks whether to remove the chosen contact, and removes it when confirmed.
    void askRemoveContact();
    bool removeContact(const QString &contactId);

    // Sends the files to the chosen contact (the contact code is checked first).
    bool sendNow();
    void cancel();

    // What the status line says now.
    QString statusText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildContactList();
    QWidget *buildDelivery();
    void choosePaths(const QString &title, bool chooseDir);
    // The row of the contact with this id in the list; -1 when it is not there.
    int rowOf(const QString &contactId) const;
    void refreshContacts();
    void refresh();

    ContactSender *m_sender;
    QList<ContactPerson> m_contacts;
    QString m_currentContactId;
    QStringList m_paths;
    // What the path list shows now.
    QStringList m_shownPaths;

    DialogAddContact *m_addDialog = nullptr;
    DialogConfirmSetting *m_confirmSetting = nullptr;
    DialogConfirmView *m_confirmView = nullptr;
    QListWidget *m_contactList = nullptr;
    QLabel *m_noContacts = nullptr;
    QToolButton *m_addContact = nullptr;
    QPushButton *m_removeContact = nullptr;
    QLabel *m_recipient = nullptr;
    QLabel *m_recipientDetail = nullptr;
    QListWidget *m_pathList = nullptr;
    QLabel *m_noPaths = nullptr;
    QPushButton *m_addFiles = nullptr;
    QPushButton *m_addFolders = nullptr;
    QPushButton *m_removePaths = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_statusIcon = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_progressText = nullptr;
};
