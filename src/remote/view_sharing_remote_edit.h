#pragma once

#include "remote_sharing.h"
#include "sheet_dialog.h"

class QLineEdit;
class QPushButton;
class ToastOverlay;

// The host editor: host name, share tag, access code and alias of one remote host. OK checks the
// fields, stores the host (a new one is added, an existing one updated by its host id) and closes;
// a field that breaks its rule, or a store that fails, is shown and the sheet stays open.
class ViewSharingRemoteEdit final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingRemoteEdit)

public:
    // A host without a host id is new.
    explicit ViewSharingRemoteEdit(const RemoteSharing &host, QWidget *parent = nullptr);
    ~ViewSharingRemoteEdit() override;

    bool isNew() const { return m_host.hostid.isEmpty(); }
    // The fields as typed, trimmed.
    RemoteSharing enteredHost() const;
    // The message shown last for a refused field or a failed store ("" when none).
    QString lastRefusal() const { return m_lastRefusal; }

    void onOK();

Q_SIGNALS:
    // The host as stored.
    void hostSaved(const RemoteSharing &host);

private:
    QLineEdit *addField(class QGridLayout *grid, int row, const QString &label, const QString &objectName,
                        const QString &placeholder);
    void refuse(const QString &message, QLineEdit *field);

    RemoteSharing m_host;
    QLineEdit *m_hostname = nullptr;
    QLineEdit *m_hosttag = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_aliasname = nullptr;
    QPushButton *m_ok = nullptr;
    ToastOverlay *m_toast = nullptr;
    QString m_lastRefusal;
};
