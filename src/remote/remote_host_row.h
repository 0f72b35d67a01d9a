#pragma once

#include "remote_sharing.h"

#include <QFrame>

class QToolButton;

// One host of the remote hosts page: its name, host name and tag, a lock when it has an access
// code, and buttons to edit, delete and open it. A double click opens it too.
class RemoteHostRow final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteHostRow)

public:
    explicit RemoteHostRow(const RemoteSharing &host, QWidget *parent = nullptr);
    ~RemoteHostRow() override;

    const RemoteSharing &host() const { return m_host; }
    // The line under the name: host name and tag (or "default share").
    static QString detailText(const RemoteSharing &host);

Q_SIGNALS:
    void editRequested();
    void deleteRequested();
    void openRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QToolButton *addButton(const QString &symbol, const QColor &tint, const QString &tip, const QString &objectName);

    RemoteSharing m_host;
};
