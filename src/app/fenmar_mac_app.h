#pragma once

// The application: its start-up sequence, then its one window.

#include <QtGlobal>

#include <memory>

class MainView;
class PeerRequests;
class QuitSignals;
class QTranslator;
class ShareStoreForPeers;

class FenmarMacApp final
{
public:
    // The start-up sequence, in this order: the greeting, the program's own instance, the
    // database, and a restart of the bridge (any bridge still running is killed, a new one starts
    // half a second later). Needs the QApplication. From then on the bridge goes when the program
    // quits, also when SIGTERM, SIGINT or SIGHUP ask it to.
    FenmarMacApp();
    ~FenmarMacApp();
    Q_DISABLE_COPY_MOVE(FenmarMacApp)

    // The main window, made and shown.
    std::unique_ptr<MainView> body();

private:
    // What peers are answered from, registered with the bridge layer for the whole run.
    std::unique_ptr<ShareStoreForPeers> m_shareStore;
    std::unique_ptr<PeerRequests> m_peerRequests;
    std::unique_ptr<QuitSignals> m_quitSignals;
    std::unique_ptr<QTranslator> m_qtTranslations;
};
