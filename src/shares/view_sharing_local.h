#pragma once

#include "sharing_obj.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SharingObjList;
class ViewSharingDetail;

// The local shares page: one card per share of the account (each card a ViewSharingDetail), the
// button that adds a folder as a new share within the account's share limit, and the button that
// opens the service's web console, where the host name at the front of every link is changed.
// It shows the main window's share list and the process-wide account record.
class ViewSharingLocal final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingLocal)

public:
    // list is the main window's; it must outlive the page. consoleUrl is the web console's address.
    ViewSharingLocal(SharingObjList &list, const QString &consoleUrl, QWidget *parent = nullptr);
    ~ViewSharingLocal() override;

    bool isShowLogin() const { return m_isShowLogin; }
    // The main window's login sheet came or went.
    void setIsShowLogin(bool shown);
    // The account record changed (a login, a new host name): labels and links follow.
    void onUserInfoChanged();

    void openWebConsole();
    void addShare();
    // The open panel's answer: the chosen paths joined with "|", or "" after a cancel.
    void addSharePath(const QString &path);

    // The cards' panes in list order.
    QList<ViewSharingDetail *> panes() const;

private:
    QWidget *buildHeader();
    void refreshHeader();
    void rebuildCards();
    void refreshBody();

    SharingObjList &m_list;
    QString m_consoleUrl;
    bool m_isShowLogin = false;

    QPushButton *m_consoleButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_cards = nullptr;
    QLabel *m_noShareNotice = nullptr;
    // Cards by the identity of the share they show, kept across redraws of the same share.
    QHash<QUuid, QPointer<QWidget>> m_cardByShare;
};
