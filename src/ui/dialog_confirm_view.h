#pragma once

#include "sheet_dialog.h"

#include <QPointer>

class DialogConfirmSetting;
class QLabel;
class QPushButton;

// A confirm panel: heading, message, OK, optionally Cancel, and a close icon. It shows what its
// owner's DialogConfirmSetting holds when it opens (and follows later writes). OK and Cancel run
// the stored action and then close the panel; the close icon and Escape only close it.
// With a Cancel the panel asks before something is destroyed, so Cancel, not OK, is what a bare
// Return presses; a message with OK alone is closed by Return.
//
//     setting.setTitle(...); setting.setInfo(...); setting.setOkAction([] { ... });
//     dialog->open();
class DialogConfirmView final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogConfirmView)

public:
    // setting is not owned and must outlive the panel (the owner keeps both).
    DialogConfirmView(DialogConfirmSetting *setting, QWidget *parent = nullptr);
    ~DialogConfirmView() override;

    DialogConfirmSetting *setting() const;
    // The button a bare Return presses: Cancel when it shows, else OK.
    QPushButton *defaultButton() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void onOK();
    void onCancel();

    QPointer<DialogConfirmSetting> m_setting;
    QLabel *m_info = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
