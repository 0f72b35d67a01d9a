#pragma once

#include "remote_sharing.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class DialogConfirmSetting;
class DialogConfirmView;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class ToastOverlay;
class ViewSharingRemoteEdit;
class ViewSharingRemoteFileList;

// The remote hosts page: the signed-in account's hosts, with add, edit and delete, and the file
// browser of the host the user opens, which takes the page's place until the user goes back.
class ViewSharingRemote final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingRemote)

public:
    explicit ViewSharingRemote(QWidget *parent = nullptr);
    ~ViewSharingRemote() override;

    // Reads the account's hosts again and shows them.
    void reload();
    const QList<RemoteSharing> &hosts() const { return m_hosts; }

    // Open the host editor for a new host, or for the host at index.
    void addHost();
    void editHost(int index);
    // Asks for confirmation, then deletes the host at index.
    void requestDeleteHost(int index);
    // Shows the browser of the host at index and starts connecting to it.
    void openHost(int index);
    // Back from the browser to the list.
    void closeBrowser();

    // The browser on screen, or nullptr.
    ViewSharingRemoteFileList *browser() const;
    // The editor opened last while it is open.
    ViewSharingRemoteEdit *editor() const;
    DialogConfirmView *confirmDialog() const { return m_confirm; }
    ToastOverlay *toast() const { return m_toast; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildListPage();
    void openEditor(const RemoteSharing &host);
    void deleteHost(const QString &hostid);

    QList<RemoteSharing> m_hosts;
    QStackedWidget *m_stack = nullptr;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QLabel *m_empty = nullptr;
    QPointer<ViewSharingRemoteFileList> m_browser;
    QPointer<ViewSharingRemoteEdit> m_editor;
    DialogConfirmSetting *m_confirmSetting = nullptr;
    DialogConfirmView *m_confirm = nullptr;
    ToastOverlay *m_toast = nullptr;
};
