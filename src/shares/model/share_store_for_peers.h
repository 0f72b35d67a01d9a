#pragma once

#include "bridge_interfaces.h"

// The share store as the bridge layer's peer handler reaches it. The program registers one for
// the whole run as Env::shareStore.
class ShareStoreForPeers final : public ShareStoreInterface
{
public:
    QString LocalShare_GetCTime(const QString &tag) override;
    bool LocalShare_CheckPassword(const QString &tag, const QString &pass) override;
    QString LocalShare_GetTag(const QString &tag) override;
    // Each share as the record a peer receives for "getShareInfo" (SharingObjJson, filled).
    QList<nlohmann::json> LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault) override;
};
