#pragma once

#include "sheet_dialog.h"

#include <functional>

class MainViewInterface;

// The receive-files sheet as the main window knows it. The contacts pages build it and the program
// registers how at start-up, so the main window needs nothing of the contacts pages.
class ReceiveFilesSheet : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReceiveFilesSheet)

public:
    using SheetDialog::SheetDialog;
    ~ReceiveFilesSheet() override = default;

    // Opens, follows or closes the sheet after the window's receive state changed.
    virtual void onStateChanged() = 0;

    // Makes the sheet over parent for the receive state that window holds.
    using Maker = std::function<ReceiveFilesSheet *(MainViewInterface &window, QWidget *parent)>;
    // Registers the maker (an empty one: no sheet is made).
    static void setMaker(Maker maker);
    // A new sheet, or nullptr while no maker is registered.
    static ReceiveFilesSheet *make(MainViewInterface &window, QWidget *parent);
};
