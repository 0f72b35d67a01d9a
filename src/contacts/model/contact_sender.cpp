#include "contact_sender.h"

#include "bridge_frames.h"
#include "bridge_link.h"
#include "build_settings.h"
#include "console.h"
#include "control_requests.h"
#include "delivery_targets.h"
#include "env.h"
#include "lenient_json.h"
#include "link_status.h"
#include "localization.h"
#include "p2p_client_msg.h"
#include "p2p_requests_to_peers.h"
#include "session_state.h"

#include <QPointer>
#include <QUrl>
#include <QUuid>

namespace {

constexpr quint8 contactPageOwner = 3;

QString percentEncoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString withInfo(const QString &message, const QString &info)
{
    return info.isEmpty() ? message : message + QStringLiteral(" ") + info;
}

} // namespace

ContactSender::ContactSender(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(m_timing.tickMs);
    connect(&m_timer, &QTimer::timeout, this, &ContactSender::tick);
}

ContactSender::~ContactSender()
{
    if (HelperRemoteSharing::globalContactView == this) {
        HelperRemoteSharing::globalContactView = nullptr;
        releaseLink();
    }
}

void ContactSender::setTiming(Timing timing)
{
    m_timing = timing;
    m_timer.setInterval(timing.tickMs);
}

bool ContactSender::isBusy() const
{
    switch (m_state) {
    case ViewContactState::vcsChecking:
    case ViewContactState::vcsConnecting:
    case ViewContactState::vcsConnected:
    case ViewContactState::vcsWaiting:
    case ViewContactState::vcsPreparing:
    case ViewContactState::vcsSending:
        return true;
    default:
        return false;
    }
}

bool ContactSender::hasEnded() const
{
    return !isBusy() && m_state != ViewContactState::vcsReady;
}

int ContactSender::decisionSecondsLeft() const
{
    if (m_state != ViewContactState::vcsConnected && m_state != ViewContactState::vcsWaiting)
        return 0;
    return std::max(0, decisionTickLimit - m_ticks);
}

AnswerCallback ContactSender::whileIn(ViewContactState state, AnswerCallback work)
{
    QPointer<ContactSender> self(this);
    const quint64 generation = m_generation;
    return [self, generation, state, work = std::move(work)](const std::optional<LenientJson> &answer) {
        if (self && self->m_generation == generation && self->m_state == state)
            work(answer);
    };
}

void ContactSender::setState(ViewContactState state, const QString &message)
{
    m_state = state;
    m_message = message;
    emit changed();
}

void ContactSender::end(ViewContactState state, const QString &message)
{
    ++m_generation;
    m_timer.stop();
    releaseLink();
    setState(state, message);
}

void ContactSender::releaseLink()
{
    // Only our own ownership: the remote browser may have taken the link since.
    if (HelperRemoteSharing::linkOwner == contactPageOwner)
        HelperRemoteSharing::linkOwner = 0;
}

bool ContactSender::start(const ContactPerson &contact, const QStringList &paths)
{
    if (isBusy() || paths.isEmpty())
        return false;
    ++m_generation;
    m_contact = contact;
    m_paths = paths;
    m_hostName.clear();
    m_offerUuid.clear();
    m_receiverFolder.clear();
    m_progress = TransferProgress();
    m_ticks = 0;
    m_missedPolls = 0;
    m_lostLinksAtStart = LinkStatus::lostLinks();
    if (!Env::isBridgeConnected || Env::userInfo.Token.isEmpty()) {
        end(ViewContactState::vcsStopped, localizedString(QStringLiteral("Contact_NotConnected")));
        return true;
    }
    setState(ViewContactState::vcsChecking, localizedString(QStringLiteral("Contact_Checking")));
    m_timer.start();
    checkAccessCode();
    return true;
}

void ContactSender::checkAccessCode()
{
    const CallHttpInfo info{QString::fromUtf8(BuildSettings::apiBaseUrl)
                                + QStringLiteral("account/acode/check/index.php?Token=")
                                + percentEncoded(Env::userInfo.Token) + QStringLiteral("&acode=")
                                + percentEncoded(m_contact.accessCode.trimmed()) + QStringLiteral("&email=")
                                + percentEncoded(m_contact.email.trimmed()),
                            5};
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::CallHttp), info, true,
                                     whileIn(ViewContactState::vcsChecking,
                                             [this](const std::optional<LenientJson> &answer) {
                                                 onAccessCodeChecked(answer);
                                             }));
}

void ContactSender::onAccessCodeChecked(const std::optional<LenientJson> &answer)
{
    if (!answer) {
        stopWithMessage(localizedString(QStringLiteral("Contact_CheckFailed")));
        return;
    }
    const QString text = answer->stringValue();
    const LenientJson result = LenientJson::parse(text);
    if (result.parseFailed()) {
        Console::printLine(QStringLiteral("Json error : ") + text);
        stopWithMessage(localizedString(QStringLiteral("Contact_CheckFailed")));
        return;
    }
    m_hostName = result["Info"].stringValue().trimmed();
    if (result["Result"].intValue() != 1 || m_hostName.isEmpty()) {
        stopWithMessage(localizedString(QStringLiteral("Contact_AccessCodeInvalid")));
        return;
    }
    sendNow();
}

void ContactSender::sendNow()
{
    HelperRemoteSharing::globalContactView = this;
    HelperRemoteSharing::linkOwner = contactPageOwner;
    m_ticks = 0;
    setState(ViewContactState::vcsConnecting,
             localizedString(QStringLiteral("Contact_Connecting")).arg(m_contact.displayName()));
    const ClientInitJson request{Env::userInfo.Token, m_hostName, QString(), m_contact.accessCode.trimmed()};
    BridgeLink::sendToBridge(QString::fromLatin1(FrameCode::ClientInit), QelJSON::toJSONString(request));
}

void ContactSender::onClientInitResult(P2PClientMsg::ConStatus status)
{
    if (m_state != ViewContactState::vcsConnecting) {
        // A late report of an attempt that already ended.
        return;
    }
    switch (status) {
    case P2PClientMsg::ConStatus::csConnected:
        Console::printLine(QStringLiteral("Con!!!!"));
        // The receiver's time to decide runs from the offer.
        m_ticks = 0;
        setState(ViewContactState::vcsConnected, localizedString(QStringLiteral("Contact_Offering")));
        offerFiles();
        break;
    case P2PClientMsg::ConStatus::csMaxClients:
        stopWithMessage(QStringLiteral("Max Connection Limits Reached!"));
        break;
    case P2PClientMsg::ConStatus::csInvalid:
        stopWithMessage(localizedString(LocalizedStringKey("RS_Host_NotAvialableAndCheck").stringKey()));
        break;
    }
}

bool ContactSender::hasLostLink() const
{
    return !Env::isBridgeConnected || LinkStatus::lostLinks() != m_lostLinksAtStart;
}

void ContactSender::stopWithMessage(const QString &message)
{
    // Whatever went wrong, a delivery whose link to the service was lost went with that link.
    end(ViewContactState::vcsStopped, hasLostLink() ? localizedString(QStringLiteral("RS_TransferLinkLost")) : message);
}

void ContactSender::offerFiles()
{
    m_offerUuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    PeerRequestSenders::offerFiles(
        DeliveryTargets::summary(m_paths), Env::userInfo.name_acc, m_offerUuid,
        whileIn(ViewContactState::vcsConnected, [this](const std::optional<LenientJson> &answer) {
            // The receiver answers "1" once its sheet has the offer.
            if (!answer || (*answer)["data"].stringValue() != QStringLiteral("1")) {
                stopWithMessage(localizedString(LocalizedStringKey("RS_Host_NotAvialableAndCheck").stringKey()));
                return;
            }
            setState(ViewContactState::vcsWaiting, localizedString(QStringLiteral("Contact_WaitingDecision")));
            askDecision();
        }));
}

void ContactSender::askDecision()
{
    PeerRequestSenders::askReceiverDecision(
        m_offerUuid, whileIn(ViewContactState::vcsWaiting, [this](const std::optional<LenientJson> &answer) {
            onDecision(answer ? (*answer)["data"].stringValue() : QString());
        }));
}

void ContactSender::onDecision(const QString &decision)
{
    if (decision == QStringLiteral("2")) {
        end(ViewContactState::vcsRefused, localizedString(QStringLiteral("Contact_ReceiverRefused")));
        return;
    }
    if (decision.isEmpty() || decision == QStringLiteral("0")) {
        // Not decided yet (or no sheet to decide on): ask again shortly; the tick limit ends it.
        QPointer<ContactSender> self(this);
        const quint64 generation = m_generation;
        QTimer::singleShot(m_timing.reaskMs, this, [self, generation] {
            if (self && self->m_generation == generation && self->m_state == ViewContactState::vcsWaiting)
                self->askDecision();
        });
        return;
    }
    m_receiverFolder = decision;
    setState(ViewContactState::vcsPreparing, localizedString(QStringLiteral("Contact_Preparing")));
    prepareUpload();
}

void ContactSender::prepareUpload()
{
    const PreparingUploadInfo info{m_paths.join(QLatin1Char('|')), DeliveryTargets::localRoot(m_paths),
                                   QString::fromLatin1(remoteSaveRoot)};
    P2PClientMsg::SendMsgToP2PClient(
        QString::fromLatin1(ControlCode::PreparingUpload), info, true,
        whileIn(ViewContactState::vcsPreparing, [this](const std::optional<LenientJson> &answer) {
            const QString failed = localizedString(QStringLiteral("Contact_SendFailed"));
            if (!answer) {
                stopWithMessage(failed);
                return;
            }
            const LenientJson list = (*answer)["FileList"];
            std::vector<WorkingItem> items;
            for (qsizetype i = 0; i < list.count(); ++i) {
                const LenientJson item = list[i];
                items.push_back(WorkingItem{item["Size"].int64Value(), item["IsDir"].boolValue(),
                                            item["Path"].stringValue(), item["PathSave"].stringValue()});
            }
            const bool refused = (*answer)["Result"].exists() && (*answer)["Result"].intValue() != 1;
            if (refused || items.empty()) {
                stopWithMessage(withInfo(failed, (*answer)["Info"].stringValue()));
                return;
            }
            m_progress.totalCount = (*answer)["TotalTaskCount"].intValue();
            m_progress.totalSize = (*answer)["TotalSize"].int64Value();
            startUpload(items);
        }));
}

void ContactSender::startUpload(const std::vector<WorkingItem> &items)
{
    HelperRemoteSharing::sendStartRemoteUpload(
        items, whileIn(ViewContactState::vcsPreparing, [this](const std::optional<LenientJson> &answer) {
            const QString failed = localizedString(QStringLiteral("Contact_SendFailed"));
            if (!answer) {
                stopWithMessage(failed);
                return;
            }
            if ((*answer)["Result"].exists() && (*answer)["Result"].intValue() != 1) {
                stopWithMessage(withInfo(failed, (*answer)["Info"].stringValue()));
                return;
            }
            setState(ViewContactState::vcsSending, localizedString(QStringLiteral("Contact_Sending")));
        }));
}

void ContactSender::tick()
{
    switch (m_state) {
    case ViewContactState::vcsConnecting:
        if (++m_ticks >= connectTickLimit)
            stopWithMessage(localizedString(LocalizedStringKey("RS_Host_NotAvialableAndCheck").stringKey()));
        break;
    case ViewContactState::vcsConnected:
    case ViewContactState::vcsWaiting:
        if (++m_ticks >= decisionTickLimit)
            giveUpWaiting();
        else
            emit changed();
        break;
    case ViewContactState::vcsSending:
        pollProgress();
        break;
    default:
        break;
    }
}

void ContactSender::giveUpWaiting()
{
    PeerRequestSenders::cancelUploading(&P2PClientMsg::ignoreReplyRemote);
    // The receiver's sheet would otherwise go on offering files that will never come.
    PeerRequestSenders::withdrawOffer();
    end(ViewContactState::vcsStopped, localizedString(QStringLiteral("Contact_ReceiverNoAnswer")));
}

void ContactSender::cancel()
{
    switch (m_state) {
    case ViewContactState::vcsChecking:
    case ViewContactState::vcsConnecting:
        break;
    case ViewContactState::vcsConnected:
    case ViewContactState::vcsWaiting:
    case ViewContactState::vcsPreparing:
    case ViewContactState::vcsSending:
        PeerRequestSenders::cancelUploading(&P2PClientMsg::ignoreReplyRemote);
        PeerRequestSenders::withdrawOffer();
        break;
    default:
        return;
    }
    end(ViewContactState::vcsCanceled, localizedString(QStringLiteral("Contact_SendCanceledByYou")));
}

void ContactSender::pollProgress()
{
    // One question every tick, whatever became of the earlier ones; each answer that comes counts,
    // even one that comes after its own question ended. Only a peer that leaves several questions
    // in a row unanswered is gone: one lost answer among many is not.
    const AnswerCallback onStatus =
        whileIn(ViewContactState::vcsSending, [this](const std::optional<LenientJson> &answer) {
            if (answer) {
                m_missedPolls = 0;
                onProgress(*answer);
                return;
            }
            if (hasLostLink() || ++m_missedPolls >= TransferProgress::missedPollLimit)
                stopWithMessage(localizedString(QStringLiteral("Contact_ConnectionLost")));
        });
    const QString token = PeerRequestSenders::remoteUploadTaskInfo(onStatus);
    if (!token.isEmpty())
        P2PClientMsg::taskTable().keepLateAnswer(token, [onStatus](const LenientJson &answer) { onStatus(answer); });
}

void ContactSender::onProgress(const LenientJson &status)
{
    TransferProgress progress = TransferProgress::fromStatus(status);
    if (progress.totalCount == 0)
        progress.totalCount = m_progress.totalCount;
    if (progress.totalSize == 0)
        progress.totalSize = m_progress.totalSize;
    m_progress = progress;
    PeerRequestSenders::syncTransState(progress.log, progress.percent, progress.isFinished, progress.isCanceled);
    if (progress.isFinished)
        end(ViewContactState::vcsFinished, localizedString(QStringLiteral("Contact_SendFinished")));
    else if (progress.isCanceled)
        end(ViewContactState::vcsCanceled, localizedString(QStringLiteral("Contact_ReceiverCanceled")));
    else if (progress.isFailed)
        end(ViewContactState::vcsStopped, withInfo(localizedString(QStringLiteral("Contact_SendFailed")), progress.error));
    else
        emit changed();
}
