#pragma once

#include <QIcon>
#include <QString>

class QColor;

// Symbols this page needs beyond the shared set, made from it.
namespace RemoteSymbols {

// The symbol turned to face the other way (a chevron that points right, say).
QIcon mirrored(const QString &symbol, const QColor &tint);

} // namespace RemoteSymbols
