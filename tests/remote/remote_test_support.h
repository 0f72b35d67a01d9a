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
    // Advances the manual clock by ms and gives the browser one tick.
    void elapse(qint64 ms);

    ScriptedRemoteBridge bridge;
    PeerRequests peer;
    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<ViewSharingRemoteFileList> browser;
};
