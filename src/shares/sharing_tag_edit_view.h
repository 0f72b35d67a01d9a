#pragma once

#include "sharing_obj.h"
#include "sheet_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class ToastOverlay;

// The sheet that renames a share's tag, the last part of its link. It shows the share's link and
// a field with the tag; OK (or Return) checks the new tag, stores the share under it and
// refreshes the link; Cancel and the close icon leave the tag as it was. A refused tag is
// explained in the sheet's own toast while the sheet stays open.
class SharingTagEditView final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharingTagEditView)

public:
    static constexpr int sheetWidth = 480;
    static constexpr int sheetHeight = 180;

    SharingTagEditView(SharingObjPtr share, QWidget *parent = nullptr);
    ~SharingTagEditView() override;

    const SharingObjPtr &sharingObj() const { return m_sharingObj; }
    QString tagValue() const;
    ToastOverlay *toast() const { return m_toast; }

    void saveTag();
    void cancelEdit();
    void showToast(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onAppear();
    void finishSave();
    void refreshLink();

    SharingObjPtr m_sharingObj;
    QLabel *m_link = nullptr;
    QLineEdit *m_tagField = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    ToastOverlay *m_toast = nullptr;
    bool m_saving = false;
};
