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
class SymbolButton;
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
    // A narrow card puts the ends of its first two rows on a row of their own.
    bool isCompact() const { return m_isCompact; }
    // The least width the path and link fields keep before the card turns compact.
    static constexpr int usableFieldWidth = 240;

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

Q_SIGNALS:
    void compactChanged(bool compact);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int compactBelowWidth() const;
    void setCompact(bool compact);
    void applyTabOrder();
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

    bool m_isCompact = false;
    QLabel *m_kindLabel = nullptr;
    SymbolButton *m_chooseButton = nullptr;
    SymbolButton *m_openButton = nullptr;
    SymbolButton *m_editTagButton = nullptr;
    SymbolButton *m_openLinkButton = nullptr;
    SymbolButton *m_lockButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QWidget *m_pathTrail = nullptr;
    QWidget *m_accessTrail = nullptr;
    QWidget *m_compactRow = nullptr;
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
