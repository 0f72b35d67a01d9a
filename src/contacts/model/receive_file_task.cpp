#include "receive_file_task.h"

#include "bridge_interfaces.h"
#include "control_requests.h"
#include "env.h"
#include "lenient_json.h"
#include "link_status.h"
#include "localization.h"
#include "p2p_client_msg.h"
#include "received_folder.h"
#include "util_system.h"

#include <QFileInfo>
#include <QPointer>

namespace {

const QString undecided = QStringLiteral("0");
const QString refused = QStringLiteral("2");

bool isUndecided(const CtlViewReceiveFile &state)
{
    return state.isShowView && state.vrsState == ViewReceiveState::vrsWaiting && state.taskState == undecided;
}

} // namespace

ReceiveFileTask::ReceiveFileTask(MainViewInterface &binding, QString downloadSaveAt, QObject *parent)
    : QObject(parent), m_binding(binding), m_givenSaveAt(std::move(downloadSaveAt))
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &ReceiveFileTask::tick);
}

ReceiveFileTask::~ReceiveFileTask() = default;

CtlViewReceiveFile ReceiveFileTask::state() const
{
    return m_binding.ctlViewReceiveFile();
}

QString ReceiveFileTask::offerKey(const CtlViewReceiveFile &state)
{
    return state.UUID + u'|' + state.Session;
}

void ReceiveFileTask::write(const CtlViewReceiveFile &state)
{
    m_binding.setCtlViewReceiveFile(state);
    emit changed();
}

void ReceiveFileTask::onShown()
{
    onStateChanged();
    if (!m_givenSaveAt.isEmpty() && QFileInfo(m_givenSaveAt).isDir())
        m_saveAt = m_givenSaveAt;
    else
        m_saveAt = ReceivedFolder::take();
    m_timer.start();
    emit changed();
}

void ReceiveFileTask::onHidden()
{
    m_timer.stop();
}

void ReceiveFileTask::onStateChanged()
{
    CtlViewReceiveFile current = state();
    if (!current.isShowView && current.vrsState == ViewReceiveState::vrsRunning) {
        // The sender withdrew while files were arriving: that receive is over, and a state left
        // running would keep every later offer from opening the sheet.
        current.vrsState = ViewReceiveState::vrsCanceld;
        m_binding.setCtlViewReceiveFile(current);
        ++m_generation;
        m_message = localizedString(QStringLiteral("Contact_ReceiveCanceledBySender"));
        emit changed();
        return;
    }
    const QString key = offerKey(current);
    if (key != m_offerKey) {
        m_offerKey = key;
        ++m_generation;
        m_missedPolls = 0;
        m_progress = TransferProgress();
        m_message.clear();
    }
    emit changed();
}

bool ReceiveFileTask::chooseFolder(const QString &path)
{
    if (!ReceivedFolder::choose(path))
        return false;
    m_saveAt = path;
    emit changed();
    return true;
}

void ReceiveFileTask::accept()
{
    CtlViewReceiveFile current = state();
    if (!isUndecided(current))
        return;
    UtilSystem::createDirIfNotExist(m_saveAt);
    if (!QFileInfo(m_saveAt).isDir()) {
        m_message = localizedString(QStringLiteral("Contact_FolderUnusable"));
        emit changed();
        return;
    }
    current.taskState = m_saveAt;
    current.vrsState = ViewReceiveState::vrsRunning;
    m_lostLinksAtAccept = LinkStatus::lostLinks();
    m_message.clear();
    write(current);
}

void ReceiveFileTask::refuse()
{
    CtlViewReceiveFile current = state();
    if (!isUndecided(current))
        return;
    current.taskState = refused;
    current.isShowView = false;
    write(current);
}

void ReceiveFileTask::cancel()
{
    const CtlViewReceiveFile current = state();
    if (current.vrsState != ViewReceiveState::vrsRunning)
        return;
    sendCancel(current.Session);
    endWith(ViewReceiveState::vrsCanceld, localizedString(QStringLiteral("Contact_ReceiveCanceledByYou")));
}

void ReceiveFileTask::close()
{
    if (isUndecided(state())) {
        refuse();
        return;
    }
    cancel();
    CtlViewReceiveFile current = state();
    if (!current.isShowView)
        return;
    current.isShowView = false;
    write(current);
}

void ReceiveFileTask::sendCancel(const QString &session)
{
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::CancelFileReceive_FromLocal),
                                     CancelRceivingFileInfo{session}, false, {});
}

void ReceiveFileTask::endWith(ViewReceiveState vrsState, const QString &message)
{
    ++m_generation;
    m_message = message;
    CtlViewReceiveFile current = state();
    current.vrsState = vrsState;
    write(current);
}

void ReceiveFileTask::tick()
{
    CtlViewReceiveFile current = state();
    if (!current.isShowView) {
        m_timer.stop();
        return;
    }
    if (isUndecided(current)) {
        current.iCountDown = std::max(0.0, current.iCountDown - 1.0);
        if (current.iCountDown > 0) {
            write(current);
            return;
        }
        // Nobody decided in time: the offer is declined and whatever the sender started stops.
        current.taskState = refused;
        current.vrsState = ViewReceiveState::vrsCanceld;
        current.isShowView = false;
        write(current);
        sendCancel(current.Session);
        return;
    }
    if (current.vrsState == ViewReceiveState::vrsRunning)
        pollProgress();
}

void ReceiveFileTask::pollProgress()
{
    // One question every tick, whatever became of the earlier ones; each answer that comes counts,
    // even one that comes after its own question ended.
    QPointer<ReceiveFileTask> self(this);
    const quint64 generation = m_generation;
    // Still the receive this question is about, and still running.
    const auto current = [self, generation] {
        return self && self->m_generation == generation && self->state().vrsState == ViewReceiveState::vrsRunning;
    };
    const auto answered = [self, current](const LenientJson &status) {
        if (!current())
            return;
        self->m_missedPolls = 0;
        self->onProgress(status);
    };
    const QString token = P2PClientMsg::SendMsgToP2PClient(
        QString::fromLatin1(ControlCode::RefreshRemoteUploadStatus_FromLocal), RefreshTaskStatusInfo{state().Session},
        true, [self, current, answered](const std::optional<LenientJson> &answer) {
            if (answer) {
                answered(*answer);
                return;
            }
            if (!current())
                return;
            // Our own link to the service went, and the receive with the bridge that ran it.
            if (!Env::isBridgeConnected || LinkStatus::lostLinks() != self->m_lostLinksAtAccept)
                self->endWith(ViewReceiveState::vrsStopped, localizedString(QStringLiteral("RS_TransferLinkLost")));
            else if (++self->m_missedPolls >= TransferProgress::missedPollLimit)
                self->endWith(ViewReceiveState::vrsStopped, localizedString(QStringLiteral("Contact_ConnectionLost")));
        });
    P2PClientMsg::taskTable().keepLateAnswer(token, answered);
}

void ReceiveFileTask::onProgress(const LenientJson &status)
{
    m_progress = TransferProgress::fromStatus(status);
    if (m_progress.isFinished)
        endWith(ViewReceiveState::vrsFinished, QString());
    else if (m_progress.isCanceled)
        endWith(ViewReceiveState::vrsCanceld, localizedString(QStringLiteral("Contact_ReceiveCanceledBySender")));
    else if (m_progress.isFailed)
        endWith(ViewReceiveState::vrsStopped,
                localizedString(QStringLiteral("Contact_ReceiveFailed")) + QStringLiteral(" ") + m_progress.error);
    else
        emit changed();
}
