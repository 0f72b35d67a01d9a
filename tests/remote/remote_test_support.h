#pragma once

// Shared by the remote hosts pages' tests: a fresh database and bridge layer, the English look,
// the scripted bridge connected and this client's peer side registered (it asks a new peer for
// room), a manual clock for the waits, and a browser on one host.

#include "contacts_test_support.h"
#include "peer_request_handler.h"
#include "remote_sharing.h"
#include "scripted_remote_bridge.h"
#include "view_sharing_remote_file_list.h"

#include <gtest/gtest.h>

#include <QList>

#include <memory>

class ManualClock;
class QAbstractButton;

namespace RemoteTest {

RemoteSharing host(const QString &hostname = QStringLiteral("pat"), const QString &tag = QStringLiteral("Pics"),
                   const QString &password = QStringLiteral("1234"), const QString &alias = {});

// Entries named prefix1, prefix2 ... (files with extension ext, or folders when ext is empty).
QList<ScriptedRemoteBridge::Entry> entries(int count, const QString &prefix, const QString &ext);

// The names of the rows the browser lists.
QStringList names(const ViewSharingRemoteFileList &view);

// The text of a localisation key as the English interface shows it.
QString english(const char *key);

} // namespace RemoteTest

class RemoteFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A browser on host, shown, asked to connect.
    ViewSharingRemoteFileList &openBrowser(const RemoteSharing &host = RemoteTest::host());
    // Opens a browser and waits until its first page is listed.
    ViewSharingRemoteFileList &openConnected(const RemoteSharing &host = RemoteTest::host());
    // Waits until the browser is connected and has listed what it asked for.
    bool listed();
    // The browser's button with this object name.
    QAbstractButton *button(const char *name) const;
    // Advances the manual clock by ms and gives the browser one tick.
    void elapse(qint64 ms);
    // How many requests with this code the bridge got, and the payload of the last one.
    int sent(const char *code) const { return bridge.count(QString::fromLatin1(code)); }
    Json last(const char *code) const { return bridge.lastData(QString::fromLatin1(code)); }
    // The folder of the scripted share at path.
    QList<ScriptedRemoteBridge::Entry> &folder(const char *path) { return bridge.folders[QString::fromLatin1(path)]; }

    ScriptedRemoteBridge bridge;
    PeerRequests peer;
    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<ViewSharingRemoteFileList> browser;
};
