#include "share_store_for_peers.h"

#include "local_share_store.h"
#include "sharing_obj_json.h"

QString ShareStoreForPeers::LocalShare_GetCTime(const QString &tag)
{
    return ::LocalShare_GetCTime(tag);
}

bool ShareStoreForPeers::LocalShare_CheckPassword(const QString &tag, const QString &pass)
{
    return ::LocalShare_CheckPassword(tag, pass);
}

QString ShareStoreForPeers::LocalShare_GetTag(const QString &tag)
{
    return ::LocalShare_GetTag(tag);
}

QList<nlohmann::json> ShareStoreForPeers::LocalShare_List(const QString &tag, bool onlyEnabled, bool useDefault)
{
    QList<nlohmann::json> records;
    for (const SharingObjPtr &share : ::LocalShare_List(tag, onlyEnabled, useDefault)) {
        SharingObjJson record;
        record.fill(*share);
        records.append(QelJSON::toJSONObject(record));
    }
    return records;
}
