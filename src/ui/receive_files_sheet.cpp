#include "receive_files_sheet.h"

namespace {
ReceiveFilesSheet::Maker &registeredMaker()
{
    static ReceiveFilesSheet::Maker maker;
    return maker;
}
} // namespace

void ReceiveFilesSheet::setMaker(Maker maker)
{
    registeredMaker() = std::move(maker);
}

ReceiveFilesSheet *ReceiveFilesSheet::make(MainViewInterface &window, QWidget *parent)
{
    return registeredMaker() ? registeredMaker()(window, parent) : nullptr;
}
