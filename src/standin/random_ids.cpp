#include "random_ids.h"

#include <QByteArray>
#include <QRandomGenerator>

QString RandomIds::hex(int bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    for (char &byte : data)
        byte = char(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(data.toHex().toUpper());
}

QString RandomIds::typeableCode(int length)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHJKMNPQRSTUVWXYZ23456789");
    QString code;
    for (int i = 0; i < length; ++i)
        code += alphabet.at(QRandomGenerator::system()->bounded(int(alphabet.size())));
    return code;
}
