#include "bridge_frames.h"

namespace BridgeFrames {

Envolope makeTextFrame(const QString &code, const QString &dataText)
{
    Envolope frame;
    frame.Msg.Code = code;
    frame.Msg.Data = QelJSON::QelValue(dataText);
    return frame;
}

Envolope makeObjectFrame(const QString &code, const WSDCMsgJson &request)
{
    Envolope frame;
    frame.Msg.Code = code;
    frame.Msg.Data = QelJSON::QelValue(request);
    return frame;
}

QString frameText(const Envolope &frame)
{
    return QelJSON::toJSONString(frame);
}

QString bridgeFrameText(const QString &code, const QString &dataText)
{
    return QelJSON::toJSONString(BridgeToClientFrame{code, dataText});
}

} // namespace BridgeFrames
