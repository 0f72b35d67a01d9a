#pragma once

#include "sharing_obj.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SharingObjList;
class SharingTagEditView;

// One share as a card of the local shares page: its path, default and enabled switches, link,
// access code and visitor rights. There is no Save button: every change is stored at once and
// ends with the main window's update toast. Removal and the access code go through the main
// window's confirm and input dialogs; the tag editor is the pane's own sheet.
class ViewSharingDetail final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingDetail)

public:
    // list is the main window's list that holds share; it must outlive the pane.
    ViewSharingDetail(SharingObjPtr share, SharingObjList &list, QWidget *parent = nullptr);
    ~ViewSharingDetail() override;

    const SharingObjPtr &sharingObj() const { return m_sharingObj; }
    bool isShowEditTagVie() const { return m_isShowEditTagVie; }
    // The tag editor while it is shown.
    SharingTagEditView *tagEditor() const;

    // Stores the whole share, makes it the default when it is marked so, shows the update toast
    // and refreshes its link once the current event is handled.
    void saveChanges();
    // The Delete switch carries the rights to create and rename files with it.
    void onDeleteRightChanged(bool value);
    void choosePath();
    // Takes the panel's answer as the new path when something exists there.
    void changePath(const QString &paths);
    void openPath();
    void askRemove();
    void openTagEditor();
    void openLink();
    void askAccessCode();

    // What the confirm and input dialogs run; they outlive a pane that a reload replaced, so they
    // act on the share and the list, not on the pane.
    static void removeSharing(const SharingObjPtr &share, SharingObjList *list);
    static void setAccessCode(const SharingObjPtr &share, const QString &code);

private:
    QWidget *buildPathRow();
    QWidget *buildAccessRow();
    QWidget *buildRightsRow();
    QCheckBox *addSwitch(QWidget *row, const char *name, const char *labelKey, bool value);
    void bindSwitches();
    void refreshKind();
    void refreshDefaultMark();

    SharingObjPtr m_sharingObj;
    QPointer<SharingObjList> m_list;
    bool m_isShowEditTagVie = false;
    QPointer<SharingTagEditView> m_tagEditor;

    QLabel *m_kindLabel = nullptr;
    QLineEdit *m_pathField = nullptr;
    QCheckBox *m_defaultSwitch = nullptr;
    QCheckBox *m_enabledSwitch = nullptr;
    QLabel *m_defaultMark = nullptr;
    QLineEdit *m_linkField = nullptr;
    QLineEdit *m_accessCodeField = nullptr;
    QWidget *m_rightsRow = nullptr;
    QCheckBox *m_downloadSwitch = nullptr;
    QCheckBox *m_uploadSwitch = nullptr;
    QCheckBox *m_deleteSwitch = nullptr;
};
