#include "remote_symbols.h"

#include "theme.h"

#include <QImage>
#include <QPixmap>

namespace RemoteSymbols {

QIcon mirrored(const QString &symbol, const QColor &tint)
{
    QIcon icon;
    // Drawn at a few sizes, sharp on ordinary and doubled screens.
    for (const int side : {16, 24, 32, 48}) {
        const QPixmap drawn = Theme::symbolPixmap(symbol, QSize(side, side), tint, 2.0);
        QPixmap turned = QPixmap::fromImage(drawn.toImage().mirrored(true, false));
        turned.setDevicePixelRatio(2.0);
        icon.addPixmap(turned);
    }
    return icon;
}

} // namespace RemoteSymbols
