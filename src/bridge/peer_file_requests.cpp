#include "peer_file_requests.h"

#include "console.h"
#include "file_item.h"
#include "peer_access.h"
#include "peer_confinement.h"
#include "peer_work.h"
#include "util_system.h"

#include <QStringList>

namespace {

void printRefused(const QString &code, const QString &path)
{
    Console::printLine(QStringLiteral("Peer Request Refused, Not Shared - ") + code + QStringLiteral(" - ") + path);
}

// The "fileList" of "buildIcon2" as text. This program's own browser sends the entries as an
// array rather than as the text of one: take that too.
QString iconListText(const LenientJson &member)
{
    return member.isArray() ? member.rawString() : member.stringValue();
}

// Keeps the "path|index|..." entries whose path the session may read; an entry whose path had
// to be resolved carries the resolved one. Text that is not a JSON array goes on unchanged, to
// be answered as the batch answers it.
QString reachableIconEntries(const QString &fileList, const PeerReach &reach)
{
    const LenientJson entries = LenientJson::parse(fileList);
    if (!entries.isArray())
        return fileList;
    QelJSON::Json kept = QelJSON::Json::array();
    for (qsizetype i = 0; i < entries.count(); ++i) {
        const QString entry = entries[i].stringValue();
        const qsizetype bar = entry.indexOf(u'|');
        const QString path = bar < 0 ? entry : entry.left(bar);
        const std::optional<QString> allowed = reach.allow(path, PeerReach::Need::Read);
        if (!allowed) {
            printRefused(QStringLiteral("buildIcon2"), path);
            continue;
        }
        kept.push_back(QelJSON::toUtf8(bar < 0 ? *allowed : *allowed + entry.mid(bar)));
    }
    return QelJSON::toJSONString(kept);
}

FileUploadInfo_Task uploadTask(const QString &joined, const PeerReach &reach)
{
    const std::optional<QString> allowed = reach.allow(joined, PeerReach::Need::Read);
    if (!allowed) {
        printRefused(QStringLiteral("fileUploadCheck"), joined);
        return FileUploadInfo_Task{};
    }
    return FileUploadInfo_Task{UtilSystem::isFile(*allowed) ? 1 : 0, UtilSystem::getFileSize(*allowed)};
}

} // namespace

namespace PeerFileRequests {

void buildIcon2(const PeerRequest &request, PeerAccess &access)
{
    // "size" is read and not used: thumbnails are always made at the same size.
    const QString fileList = iconListText(request.msg["fileList"]);
    const PeerReplyAddress address = PeerReplyAddress::of(request);
    const std::vector<PeerShare> shares = access.sharesFor(request.session);
    PeerWork::start([=] {
        const QString reachable = reachableIconEntries(fileList, PeerReach(shares));
        FileItem::dynaReloadIcons(reachable, nullptr,
                                  [address](const QString &text) { BridgeMessage::replyText(address, text); });
    });
}

void fileDownloadCheck(const PeerRequest &request, PeerAccess &access)
{
    const QString path = request.msg["path"].stringValue();
    const std::vector<PeerShare> shares = access.sharesFor(request.session);
    PeerWork::run(PeerReplyAddress::of(request), [=] {
        FileDownloadInfo info{path, 0, 0};
        if (const std::optional<QString> allowed = PeerReach(shares).allow(path, PeerReach::Need::Read)) {
            info.size = UtilSystem::getFileSize(*allowed);
            info.valid = UtilSystem::isFile(*allowed) ? 1 : 0;
        } else {
            printRefused(QStringLiteral("fileDownloadCheck"), path);
        }
        return BridgeMessage::wrapData(QelJSON::toJSONObject(info));
    });
}

void fileUploadCheck(const PeerRequest &request, PeerAccess &access)
{
    const QString dir = request.msg["dir"].stringValue();
    // Taken as it arrives, not as text; a copy, as the worker reads it after this returns.
    const LenientJson names = LenientJson::fromJson(request.msg["fileList"].json());
    const std::vector<PeerShare> shares = access.sharesFor(request.session);
    PeerWork::run(PeerReplyAddress::of(request), [=] {
        const FileUploadInfo info = expandPathList(dir, names, PeerReach(shares));
        return BridgeMessage::wrapData(QelJSON::toJSONObject(info));
    });
}

void opFileList(const PeerRequest &request, PeerAccess &access)
{
    // "path" and "extInfo" are sent but not used.
    const QString cmd = request.msg["cmd"].stringValue();
    const QString fileList = request.msg["fileList"].stringValue();
    const std::vector<PeerShare> shares = access.sharesFor(request.session);
    PeerWork::run(PeerReplyAddress::of(request), [=] {
        if (cmd == u"delete") {
            const PeerReach reach(shares);
            for (const QString &piece : fileList.split(u'|')) {
                if (const std::optional<QString> allowed = reach.allow(piece, PeerReach::Need::Delete))
                    UtilSystem::removeFile(*allowed);
                else
                    printRefused(QStringLiteral("opFileList"), piece);
            }
        }
        // The peer hears the same whatever happened, and lists the folder again.
        return QelJSON::Json("[]");
    });
}

void newFileCreate(const PeerRequest &request, PeerAccess &access)
{
    // "type" is sent but a folder is made whatever it says.
    const QString path = UtilSystem::pathJoin(request.msg["dir"].stringValue(), request.msg["name"].stringValue());
    const std::vector<PeerShare> shares = access.sharesFor(request.session);
    PeerWork::run(PeerReplyAddress::of(request), [=] {
        if (const std::optional<QString> allowed = PeerReach(shares).allow(path, PeerReach::Need::Create))
            UtilSystem::createDirIfNotExist(*allowed);
        else
            printRefused(QStringLiteral("newFile_create"), path);
        return QelJSON::Json("");
    });
}

FileUploadInfo expandPathList(const QString &dir, const LenientJson &names, const PeerReach &reach)
{
    FileUploadInfo info;
    info.dir = dir;
    if (names.isArray()) {
        for (qsizetype i = 0; i < names.count(); ++i)
            info.task.push_back(uploadTask(UtilSystem::pathJoin(dir, names[i].stringValue()), reach));
    } else if (names.isObject()) {
        for (const QString &key : names.keys())
            info.task.push_back(uploadTask(UtilSystem::pathJoin(dir, names[key].stringValue()), reach));
    }
    return info;
}

} // namespace PeerFileRequests

namespace BridgeMessage {

void replyText(const PeerReplyAddress &address, const QString &text)
{
    PeerWork::sendReply(address, wrapData(QelJSON::toJSONObject(text)));
}

} // namespace BridgeMessage
