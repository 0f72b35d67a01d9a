#pragma once

#include <QString>

// How this run of the stand-in bridge is set up. The client knows none of these knobs: they exist
// so that tests can run many stand-ins side by side and steer the few answers they need to see.
//
//   FENMAR_STANDIN_PORT          WebSocket port (default 19961; 0 picks a free one)
//   FENMAR_STANDIN_HTTP_PORT     port of the account API and web pages (default 19962; 0 picks one)
//   FENMAR_STANDIN_OFFER_VERSION the version answer offers this version (default: nothing newer)
//   FENMAR_STANDIN_OFFER_URL     where the offered installer is downloaded from
//   FENMAR_STANDIN_COPY_DELAY_MS pause after each copied block, so a transfer can be cancelled mid-file
struct StandinSettings
{
    quint16 bridgePort = 19961;
    quint16 httpPort = 19962;
    QString offeredVersion;
    QString offeredUrl;
    int copyDelayMs = 0;
    QString accountFile;

    // Reads the environment; false (and why) when a value given there is unusable.
    static bool fromEnvironment(StandinSettings &settings, QString *error);
};
