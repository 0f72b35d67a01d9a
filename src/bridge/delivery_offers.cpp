#include "delivery_offers.h"

#include "bridge_interfaces.h"
#include "console.h"
#include "control_requests.h"
#include "env.h"
#include "localization.h"
#include "session_state.h"

namespace {

const QString refused = QStringLiteral("2");

bool isReceiving(const CtlViewReceiveFile &state)
{
    return state.vrsState == ViewReceiveState::vrsRunning;
}

// A withdrawal names its offer by the session it was made on (or by the offer's id, when given).
bool namesOffer(const LenientJson &withdrawal, const CtlViewReceiveFile &state)
{
    const QString uuid = withdrawal["UUID"].stringValue();
    if (!uuid.isEmpty())
        return uuid == state.UUID;
    const QString session = withdrawal["Session"].stringValue();
    return !session.isEmpty() && session == state.Session;
}

} // namespace

namespace DeliveryOffers {

void waitRemoteReceiveFiles(const PeerRequest &request)
{
    const QString uuid = request.msg["UUID"].stringValue();
    const QString session = request.msg["Session"].stringValue();
    MainViewInterface *mainView = Env::globalMainView;
    if (mainView && isReceiving(mainView->ctlViewReceiveFile())) {
        // The sender hears "2" when it asks for the decision on this offer.
        Console::printLine(QStringLiteral("Receive Offer Ignored, Receiving Now - ") + request.session);
    } else {
        if (mainView) {
            CtlViewReceiveFile state;
            state.Session = session;
            state.Summary = request.msg["Summary"].stringValue();
            state.FromUser = request.msg["FromUser"].stringValue();
            state.UUID = uuid;
            state.vrsState = ViewReceiveState::vrsWaiting;
            state.isShowView = true;
            mainView->setCtlViewReceiveFile(state);
        }
        HelperRemoteSharing::setRemoteSession(session);
        P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::ResetRemoteUploadStatus_FromLocal),
                                         MsgResetRemoteUpload{session}, false, {});
    }
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::Json("1")));
}

void waitRemoteReceiveFilesPressButton(const PeerRequest &request)
{
    MainViewInterface *mainView = Env::globalMainView;
    if (!mainView) {
        BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::Json(nullptr)));
        return;
    }
    const CtlViewReceiveFile state = mainView->ctlViewReceiveFile();
    // The decision belongs to the offer the sheet holds; an older or foreign offer is not taken.
    const bool isCurrentOffer = request.msg["UUID"].stringValue() == state.UUID;
    const QString decision = isCurrentOffer ? state.taskState : refused;
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::toJSONObject(decision)));
}

void waitRemoteReceiveFilesCancel(const PeerRequest &request)
{
    MainViewInterface *mainView = Env::globalMainView;
    if (!mainView)
        return;
    CtlViewReceiveFile state = mainView->ctlViewReceiveFile();
    if (!namesOffer(request.msg, state)) {
        Console::printLine(QStringLiteral("Receive Cancel Ignored, Not The Current Offer - ") + request.session);
        return;
    }
    state.isShowView = false;
    mainView->setCtlViewReceiveFile(state);
    if (Env::globalMainView)
        Env::globalMainView->showToast(localizedString(LocalizedStringKey("Contact_SendCanceled").stringKey()));
}

} // namespace DeliveryOffers
