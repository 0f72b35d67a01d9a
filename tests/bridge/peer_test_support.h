#pragma once

// Shared by the peer tests: a share store and a main window that the tests fill, and a fixture
// that connects the link to a loopback bridge, registers the peer handler, feeds it "WSDC"
// frames through the dispatcher and collects the replies the bridge receives.

#include "bridge_interfaces.h"
#include "bridge_test_support.h"
#include "fake_main_view.h"
#include "peer_request_handler.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace PeerTest {

// One share as the store holds it.
struct Share {
    QString tag;
    QString path;
    QString password;
    bool isdir = true;
    bool isenabled = true;
    bool isupload = false;
    bool isdownload = true;
    bool isfiledel = false;
    bool isDefault = false;
    QString ctime = QStringLiteral("2024-01-02 03:04:05");
};

// The store's rules on a list: tags and codes without regard to case, the empty tag and
// "index.php" for the default share, codes masked when only enabled shares are asked for.
class FakeShareStore final : public ShareStoreInterface
{
public:
    QString LocalShare_GetCTime(const QString &tag) override;
    bool LocalShare_CheckPassword(const QString &tag, const QString &pass) override;
    QString LocalShare_GetTag(const QString &tag) override;
    QList<nlohmann::json> LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault) override;

    // The record a peer receives for share.
    static nlohmann::json recordOf(const Share &share);

    std::vector<Share> shares;
    int calls = 0;

private:
    QString defaultTag() const;
    // The share tag names (default rule, letter case aside).
    const Share *find(const QString &tag) const;
};

class PeerFixture : public BridgeTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Hands the handler a "WSDC" frame through the dispatcher, as the bridge would.
    void sendPeer(const QString &code, const Json &msg, const QString &token = QStringLiteral("T1"),
                  const QString &session = QStringLiteral("PEER|ME"));
    // The reply records received so far (requests this client sent are left out).
    QList<Json> replies() const;
    // Waits for the reply with token; a null value when none came.
    Json replyTo(const QString &token = QStringLiteral("T1"), int timeoutMs = 5000);
    // The "Data" of that reply.
    Json dataOf(const QString &token = QStringLiteral("T1"));
    // Waits until every peer job has finished and its reply has been written.
    void settle();

    // A folder in the test's own HOME.
    QString makeDir(const QString &relative);
    QString writeFile(const QString &relative, qint64 bytes);

    FakeBridgeServer bridge;
    FakeShareStore store;
    PeerRequests handler;
    QString home;
};

} // namespace PeerTest
