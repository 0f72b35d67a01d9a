#pragma once

#include "sheet_dialog.h"

#include <QPointer>

class DialogInput_Setting;
class QLabel;
class QLineEdit;
class QPushButton;
class ToastOverlay;

// A panel that asks for one line of text: heading, optional hint, field, OK and Cancel, close
// icon. The field edits the setting's value. OK (or Return in the field while OK is enabled)
// checks the value against the setting's limits; a refused value is explained in a banner toast
// inside the panel, which stays open; an accepted one closes the panel and then runs okAction.
// Cancel, the close icon and Escape only close it.
//
//     setting.configure(title, "", [&] { use(setting.value()); }, 0, 30,
//                       DialogInput_Setting_ValidType::dsvPassword, true);
//     dialog->open();
class DialogInputView final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogInputView)

public:
    // setting is not owned and must outlive the panel. OK is enabled while isCanSubmiti is true.
    DialogInputView(DialogInput_Setting *setting, bool isCanSubmiti = true, QWidget *parent = nullptr);
    ~DialogInputView() override;

    DialogInput_Setting *setting() const { return m_setting; }
    bool isCanSubmiti() const;
    void setIsCanSubmiti(bool canSubmit);

    // The OK procedure: checks the value and accepts it or explains the refusal.
    void onOK();

    // The message that refuses value under setting, or "" when it is accepted.
    static QString refusal(const DialogInput_Setting &setting, const QString &value);

    ToastOverlay *toast() const { return m_toast; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    QPointer<DialogInput_Setting> m_setting;
    QLabel *m_tips = nullptr;
    QLineEdit *m_field = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    ToastOverlay *m_toast = nullptr;
};
