#pragma once

// The receiving side of a contact's offer to send files: the offer opens the receive-files sheet
// of the main window, the sender polls for the user's decision, and the sender may withdraw.
// An offer never takes over a sheet on which a receive is running, and a poll or withdrawal
// acts only on the offer it names, so one contact cannot read or close another's offer. GUI thread.

#include "peer_replies.h"

namespace DeliveryOffers {

// "WaitRemoteReceiveFiles": answered "1".
void waitRemoteReceiveFiles(const PeerRequest &request);
// "WaitRemoteReceiveFilesPressButton": the decision on the offer "UUID": "0" undecided, "2"
// refused (also for an offer the sheet no longer holds), else the folder accepted to save into.
void waitRemoteReceiveFilesPressButton(const PeerRequest &request);
// "WaitRemoteReceiveFilesCancel": closes the sheet of the offer made on "Session"; no answer.
void waitRemoteReceiveFilesCancel(const PeerRequest &request);

} // namespace DeliveryOffers
