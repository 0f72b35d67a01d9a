#include "fenmar_mac_app.h"

#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "console.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "main_view.h"
#include "peer_request_handler.h"
#include "qt_translations.h"
#include "quit_signals.h"
#include "share_store_for_peers.h"
#include "theme.h"
#include "util_db.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QTranslator>

#include <csignal>

FenmarMacApp::FenmarMacApp()
    : m_shareStore(std::make_unique<ShareStoreForPeers>()), m_peerRequests(std::make_unique<PeerRequests>())
{
    QApplication::setApplicationName(QStringLiteral("Fenmar"));
    QApplication::setApplicationVersion(Env::appVersion);
    QApplication::setDesktopFileName(QStringLiteral("fenmar"));
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        Theme::applyToApplication(*app);
    // Before any window: the file panel and the standard buttons are Qt's and speak its language.
    m_qtTranslations = installQtTranslations();
    registerFileDialogPanels();
    ViewReceiveFile::registerAsReceiveSheet();
    Env::shareStore = m_shareStore.get();
    BridgeMessage::peerRequestHandler = m_peerRequests.get();

    Console::printLine(QStringLiteral("Welcome, Fenmar"));
    Env::locateAppInstance();
    UtilDB::open();
    Env::restartBridge();

    // The bridge serves only this program: it goes when the program goes, and no relaunch may
    // bring it back.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &Env::stopBridgeForQuit);
    // exit(), not quit(): a sheet that refuses to close must not keep the program alive.
    m_quitSignals = std::make_unique<QuitSignals>(QList<int>{SIGTERM, SIGINT, SIGHUP}, [] { QCoreApplication::exit(0); });
}

FenmarMacApp::~FenmarMacApp()
{
    if (Env::shareStore == m_shareStore.get())
        Env::shareStore = nullptr;
    if (BridgeMessage::peerRequestHandler == m_peerRequests.get())
        BridgeMessage::peerRequestHandler = nullptr;
}

std::unique_ptr<MainView> FenmarMacApp::body()
{
    auto window = std::make_unique<MainView>();
    window->show();
    return window;
}
