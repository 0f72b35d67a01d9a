#pragma once

#include "bridge_interfaces.h"
#include "contact_person.h"
#include "pending_requests.h"
#include "transfer_progress.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class LenientJson;
struct WorkingItem;

// Where sending files to a contact stands.
enum class ViewContactState {
    vcsReady,      // nothing under way
    vcsChecking,   // asking the service whether the contact code belongs to the contact
    vcsConnecting, // "ClientInit" sent, waiting for the peer connection
    vcsConnected,  // the offer is on its way
    vcsWaiting,    // waiting for the receiver's decision
    vcsPreparing,  // accepted; the bridge lists what is to be sent
    vcsSending,
    vcsFinished,
    vcsRefused,
    vcsCanceled, // by this user or by the receiver
    vcsStopped,  // ended with a message
};

// Sends files to a contact, one delivery at a time: checks the contact code with the service, asks
// the bridge for a peer connection to the contact's client, offers the files, waits for the
// receiver's decision, has the bridge prepare and run the upload into the folder the receiver
// accepted, and follows its progress once a second, passing it on to the receiver. Each delivery
// ends in one of the end states with a message for the user.
//
// While it waits for the peer connection it owns the link: the bridge layer hands connection
// states to it through HelperRemoteSharing::globalContactView. GUI thread only.
class ContactSender final : public QObject, public ContactViewInterface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ContactSender)

public:
    // How long things take; tests shorten them.
    struct Timing {
        int tickMs = 1000;
        // A receiver that has not decided is asked again this long after its answer.
        int reaskMs = 1000;
    };
    // Ticks without the receiver's decision before the offer is given up.
    static constexpr int decisionTickLimit = 30;
    // Ticks without word of the peer connection before the attempt is given up.
    static constexpr int connectTickLimit = 15;
    // What the bridge stands for the receiver's folder in the paths it prepares.
    static constexpr const char *remoteSaveRoot = "Z:\\";

    explicit ContactSender(QObject *parent = nullptr);
    ~ContactSender() override;

    void setTiming(Timing timing);
    Timing timing() const { return m_timing; }

    // Starts a delivery of paths (files and folders) to contact with the contact-code check.
    // False, and nothing happens, while a delivery is under way or when there is nothing to send.
    bool start(const ContactPerson &contact, const QStringList &paths);

    // Takes over the peer link and asks the bridge to connect to the contact's client.
    void sendNow();
    // The state of the peer connection that sendNow asked for.
    void onClientInitResult(P2PClientMsg::ConStatus status) override;
    // Ends the delivery with message and gives up the peer link.
    void stopWithMessage(const QString &message);

    // This user cancels: the upload stops and the receiver's sheet closes.
    void cancel();

    // One tick of the one-second timer (runs by itself while a delivery is under way).
    void tick();

    ViewContactState state() const { return m_state; }
    bool isBusy() const;
    bool hasEnded() const;
    // The end state's message, or what is happening now.
    QString message() const { return m_message; }
    const ContactPerson &contact() const { return m_contact; }
    const QStringList &paths() const { return m_paths; }
    QString offerUuid() const { return m_offerUuid; }
    // The folder the receiver accepted to save into, once known.
    QString receiverFolder() const { return m_receiverFolder; }
    // Seconds left for the receiver to decide.
    int decisionSecondsLeft() const;
    const TransferProgress &progress() const { return m_progress; }

signals:
    void changed();

private:
    void setState(ViewContactState state, const QString &message = QString());
    void end(ViewContactState state, const QString &message);
    void checkAccessCode();
    void onAccessCodeChecked(const std::optional<LenientJson> &answer);
    void offerFiles();
    void askDecision();
    void onDecision(const QString &decision);
    void prepareUpload();
    void startUpload(const std::vector<WorkingItem> &items);
    void pollProgress();
    void onProgress(const LenientJson &status);
    void giveUpWaiting();
    // Our own link to the service went since the delivery began.
    bool hasLostLink() const;
    void releaseLink();
    // An answer callback that runs work only while the delivery it was sent for is still in state.
    AnswerCallback whileIn(ViewContactState state, AnswerCallback work);

    Timing m_timing;
    QTimer m_timer;
    ViewContactState m_state = ViewContactState::vcsReady;
    // Grows with every delivery and every end, so that answers to an earlier one are dropped.
    quint64 m_generation = 0;
    // The links to the service lost before this delivery began: one lost since ended it.
    quint64 m_lostLinksAtStart = 0;
    ContactPerson m_contact;
    QStringList m_paths;
    QString m_hostName;
    QString m_offerUuid;
    QString m_receiverFolder;
    QString m_message;
    int m_ticks = 0;
    // Status questions gone unanswered since the last answer came.
    int m_missedPolls = 0;
    TransferProgress m_progress;
};
