#include "view_sharing_detail.h"

#include "dialog_confirm_setting.h"
#include "dialog_input_setting.h"
#include "local_share_store.h"
#include "localization.h"
#include "main_view_ui.h"
#include "sharing_obj_list.h"
#include "sharing_tag_edit_view.h"
#include "shares_look.h"
#include "symbol_button.h"
#include "theme.h"
#include "util_system.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString text(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

// The link follows the account's host name and the default flag, once the event that changed
// them has been handled.
void queueLinkRefresh(const SharingObjPtr &share)
{
    SharingObj *obj = share.get();
    QTimer::singleShot(0, obj, [obj] { obj->updateTagURL(); });
}

QHBoxLayout *rowLayout(QWidget *row)
{
    auto *layout = new QHBoxLayout(row);
    const int padding = SharesLook::rowPadding;
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(6);
    return layout;
}

QLabel *leadingLabel(QWidget *row, const char *name, const QString &text)
{
    auto *label = new QLabel(text, row);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(SharesLook::labelWidth);
    return label;
}

// A group of controls at the end of a row, which moves to a row of its own in a narrow card.
QWidget *trailingGroup(QWidget *parent, const char *name)
{
    auto *group = new QWidget(parent);
    group->setObjectName(QString::fromLatin1(name));
    auto *layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    return group;
}

} // namespace

ViewSharingDetail::ViewSharingDetail(SharingObjPtr share, SharingObjList &list, QWidget *parent)
    : QWidget(parent), m_sharingObj(std::move(share)), m_list(&list)
{
    setObjectName(QStringLiteral("viewSharingDetail"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The rows' own padding keeps them apart.
    layout->setSpacing(0);
    // The rows sit in the middle of the card, whether it shows two of them or three.
    layout->addStretch(1);
    layout->addWidget(buildPathRow());
    layout->addWidget(buildAccessRow());
    // A narrow card moves the ends of the first two rows here, so that the path and the link
    // keep a width one can read.
    m_compactRow = new QWidget(this);
    m_compactRow->setObjectName(QStringLiteral("compactRow"));
    QHBoxLayout *compact = rowLayout(m_compactRow);
    compact->addStretch(1);
    m_compactRow->hide();
    layout->addWidget(m_compactRow);
    m_rightsRow = buildRightsRow();
    layout->addWidget(m_rightsRow);
    layout->addStretch(1);

    SharingObj *obj = m_sharingObj.get();
    connect(obj, &SharingObj::pathChanged, m_pathField, &QLineEdit::setText);
    connect(obj, &SharingObj::tagURLChanged, m_linkField, [this](const QString &url) {
        m_linkField->setText(url);
        m_linkField->setCursorPosition(0);
    });
    connect(obj, &SharingObj::passwordShowingChanged, m_accessCodeField, &QLineEdit::setText);
    connect(obj, &SharingObj::isdirChanged, this, &ViewSharingDetail::refreshKind);
    bindSwitches();
    refreshKind();
    refreshDefaultMark();
    applyTabOrder();

    // Brings the link up to date with the account's current host name.
    queueLinkRefresh(m_sharingObj);
}

ViewSharingDetail::~ViewSharingDetail() = default;

SharingTagEditView *ViewSharingDetail::tagEditor() const
{
    return m_tagEditor;
}

QWidget *ViewSharingDetail::buildPathRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("pathRow"));
    QHBoxLayout *layout = rowLayout(row);

    m_kindLabel = leadingLabel(row, "kindLabel", QString());
    m_pathField = SharesLook::displayField(row, "pathField", localizedString(QStringLiteral("The path of the sharinhg object")));
    m_pathField->setText(m_sharingObj->path());
    m_pathField->setCursorPosition(0);
    m_chooseButton = SharesLook::iconButton(row, "choosePathButton", "rectangle.and.pencil.and.ellipsis",
                                            localizedString(QStringLiteral("LS_ChoosePathTip")));
    m_openButton = SharesLook::iconButton(row, "openPathButton", "folder.fill.badge.gearshape",
                                          localizedString(QStringLiteral("LS_OpenPathTip")));
    connect(m_chooseButton, &QToolButton::clicked, this, &ViewSharingDetail::choosePath);
    connect(m_openButton, &QToolButton::clicked, this, &ViewSharingDetail::openPath);

    layout->addWidget(m_kindLabel);
    layout->addWidget(m_pathField, 1);
    layout->addWidget(m_chooseButton);
    layout->addWidget(m_openButton);

    m_pathTrail = trailingGroup(row, "shareSwitches");
    m_pathTrail->layout()->addItem(new QSpacerItem(6, 0));
    m_defaultSwitch = addSwitch(m_pathTrail, "defaultSwitch", "LS_AsDefault", m_sharingObj->isDefault());
    m_enabledSwitch = addSwitch(m_pathTrail, "enabledSwitch", "LS_Enabled", m_sharingObj->isenabled());
    m_removeButton = new QPushButton(Theme::icon(QStringLiteral("minus.circle.fill"), Theme::color(QStringLiteral("btnRed"))),
                                     text("LS_Remove"), m_pathTrail);
    m_removeButton->setObjectName(QStringLiteral("removeButton"));
    m_removeButton->setIconSize(QSize(SharesLook::iconSize, SharesLook::iconSize));
    m_removeButton->setAutoDefault(false);
    m_removeButton->setCursor(Qt::PointingHandCursor);
    connect(m_removeButton, &QPushButton::clicked, this, &ViewSharingDetail::askRemove);
    m_pathTrail->layout()->addItem(new QSpacerItem(4, 0));
    m_pathTrail->layout()->addWidget(m_removeButton);
    layout->addWidget(m_pathTrail);
    return row;
}

QWidget *ViewSharingDetail::buildAccessRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("accessRow"));
    QHBoxLayout *layout = rowLayout(row);

    // The link label, followed by a green bolt while the share is the default one.
    auto *urlLabel = new QWidget(row);
    urlLabel->setObjectName(QStringLiteral("urlLabel"));
    urlLabel->setFixedWidth(SharesLook::labelWidth);
    auto *urlLayout = new QHBoxLayout(urlLabel);
    urlLayout->setContentsMargins(0, 0, 0, 0);
    urlLayout->setSpacing(4);
    auto *urlText = new QLabel(text("LS_AccessURL"), urlLabel);
    urlText->setObjectName(QStringLiteral("urlText"));
    urlText->setTextFormat(Qt::PlainText);
    m_defaultMark = new QLabel(urlLabel);
    m_defaultMark->setObjectName(QStringLiteral("defaultMark"));
    m_defaultMark->setPixmap(Theme::symbolPixmap(QStringLiteral("bolt.fill"), QSize(12, 12),
                                                 Theme::color(QStringLiteral("green")), devicePixelRatioF()));
    urlLayout->addWidget(urlText);
    urlLayout->addWidget(m_defaultMark);
    urlLayout->addStretch(1);

    m_linkField = SharesLook::displayField(row, "linkField", localizedString(QStringLiteral("The URL to access")));
    m_linkField->setText(m_sharingObj->tagURL());
    m_editTagButton = SharesLook::iconButton(row, "editTagButton", "square.and.pencil",
                                             localizedString(QStringLiteral("Customize the access URL")));
    m_openLinkButton = SharesLook::iconButton(row, "openLinkButton", "globe", localizedString(QStringLiteral("LS_OpenLinkTip")));
    connect(m_editTagButton, &QToolButton::clicked, this, &ViewSharingDetail::openTagEditor);
    connect(m_openLinkButton, &QToolButton::clicked, this, &ViewSharingDetail::openLink);

    m_accessTrail = trailingGroup(row, "accessCodeGroup");
    m_accessTrail->layout()->addItem(new QSpacerItem(6, 0));
    auto *codeLabel = new QLabel(text("LS_AccessCode"), m_accessTrail);
    codeLabel->setObjectName(QStringLiteral("accessCodeLabel"));
    codeLabel->setTextFormat(Qt::PlainText);
    codeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_accessCodeField = SharesLook::displayField(m_accessTrail, "accessCodeField", text("LS_NoPassword"));
    m_accessCodeField->setMaximumWidth(110);
    QPalette codePalette = m_accessCodeField->palette();
    codePalette.setColor(QPalette::Text, SharesLook::accessCodeColor());
    m_accessCodeField->setPalette(codePalette);
    m_accessCodeField->setText(m_sharingObj->passwordShowing());
    m_lockButton = SharesLook::iconButton(m_accessTrail, "accessCodeButton", "lock.square",
                                          localizedString(QStringLiteral("LS_AccessCodeSetTitle")));
    connect(m_lockButton, &QToolButton::clicked, this, &ViewSharingDetail::askAccessCode);
    m_accessTrail->layout()->addWidget(codeLabel);
    m_accessTrail->layout()->addWidget(m_accessCodeField);
    m_accessTrail->layout()->addWidget(m_lockButton);

    layout->addWidget(urlLabel);
    layout->addWidget(m_linkField, 1);
    layout->addWidget(m_editTagButton);
    layout->addWidget(m_openLinkButton);
    layout->addWidget(m_accessTrail);
    return row;
}

QWidget *ViewSharingDetail::buildRightsRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("rightsRow"));
    QHBoxLayout *layout = rowLayout(row);
    layout->setSpacing(18);
    layout->addWidget(leadingLabel(row, "visitorLabel", text("LS_VisitorCould")));
    m_downloadSwitch = addSwitch(row, "downloadSwitch", "LS_Download", m_sharingObj->isdownload());
    m_uploadSwitch = addSwitch(row, "uploadSwitch", "LS_Upload", m_sharingObj->isupload());
    m_deleteSwitch = addSwitch(row, "deleteSwitch", "LS_Delete", m_sharingObj->isfiledel());
    layout->addStretch(1);
    return row;
}

QCheckBox *ViewSharingDetail::addSwitch(QWidget *row, const char *name, const char *labelKey, bool value)
{
    auto *box = new QCheckBox(text(labelKey), row);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(value);
    box->setCursor(Qt::PointingHandCursor);
    row->layout()->addWidget(box);
    return box;
}

void ViewSharingDetail::bindSwitches()
{
    // A switch writes its field; the field's change, whoever made it (this switch, another pane
    // making its share the default), moves the switch and runs the switch's action.
    SharingObj *obj = m_sharingObj.get();
    const auto bind = [this, obj](QCheckBox *box, void (SharingObj::*setter)(bool),
                                  void (SharingObj::*changed)(bool), auto action) {
        connect(box, &QCheckBox::clicked, obj, setter);
        connect(obj, changed, this, [this, box, action](bool value) {
            const QSignalBlocker blocker(box);
            box->setChecked(value);
            action(value);
        });
    };
    bind(m_defaultSwitch, &SharingObj::setIsDefault, &SharingObj::isDefaultChanged, [this](bool) {
        refreshDefaultMark();
        saveChanges();
    });
    bind(m_enabledSwitch, &SharingObj::setIsenabled, &SharingObj::isenabledChanged, [this](bool) { saveChanges(); });
    bind(m_downloadSwitch, &SharingObj::setIsdownload, &SharingObj::isdownloadChanged, [this](bool) { saveChanges(); });
    bind(m_uploadSwitch, &SharingObj::setIsupload, &SharingObj::isuploadChanged, [this](bool) { saveChanges(); });
    bind(m_deleteSwitch, &SharingObj::setIsfiledel, &SharingObj::isfiledelChanged,
         [this](bool value) { onDeleteRightChanged(value); });
}

int ViewSharingDetail::compactBelowWidth() const
{
    // Label, field and two icons of a row, plus the longer of the two ends.
    const int trail = qMax(m_pathTrail->sizeHint().width(), m_accessTrail->sizeHint().width());
    return 2 * SharesLook::rowPadding + SharesLook::labelWidth + usableFieldWidth + 2 * m_chooseButton->sizeHint().width()
           + trail + 4 * 6;
}

void ViewSharingDetail::setCompact(bool compact)
{
    if (compact == m_isCompact)
        return;
    m_isCompact = compact;
    // A control that moves with its group keeps the keyboard, also while a dialog it opened shows.
    QWidget *focused = window()->focusWidget();
    if (focused && !m_pathTrail->isAncestorOf(focused) && !m_accessTrail->isAncestorOf(focused))
        focused = nullptr;
    auto *pathRow = static_cast<QHBoxLayout *>(m_chooseButton->parentWidget()->layout());
    auto *accessRow = static_cast<QHBoxLayout *>(m_editTagButton->parentWidget()->layout());
    auto *compactRow = static_cast<QHBoxLayout *>(m_compactRow->layout());
    if (compact) {
        pathRow->removeWidget(m_pathTrail);
        accessRow->removeWidget(m_accessTrail);
        m_accessTrail->setParent(m_compactRow);
        m_pathTrail->setParent(m_compactRow);
        compactRow->insertWidget(0, m_accessTrail);
        compactRow->addWidget(m_pathTrail);
    } else {
        compactRow->removeWidget(m_accessTrail);
        compactRow->removeWidget(m_pathTrail);
        m_pathTrail->setParent(m_chooseButton->parentWidget());
        m_accessTrail->setParent(m_editTagButton->parentWidget());
        pathRow->addWidget(m_pathTrail);
        accessRow->addWidget(m_accessTrail);
    }
    m_pathTrail->show();
    m_accessTrail->show();
    m_compactRow->setVisible(compact);
    applyTabOrder();
    if (focused)
        focused->setFocus(Qt::OtherFocusReason);
    emit compactChanged(compact);
}

void ViewSharingDetail::applyTabOrder()
{
    // Row by row as the card shows them, left to right.
    QList<QWidget *> order{m_pathField, m_chooseButton, m_openButton};
    const QList<QWidget *> switches{m_defaultSwitch, m_enabledSwitch, m_removeButton};
    const QList<QWidget *> link{m_linkField, m_editTagButton, m_openLinkButton};
    const QList<QWidget *> code{m_accessCodeField, m_lockButton};
    if (m_isCompact)
        order << link << code << switches;
    else
        order << switches << link << code;
    order << m_downloadSwitch << m_uploadSwitch << m_deleteSwitch;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void ViewSharingDetail::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setCompact(event->size().width() < compactBelowWidth());
}

void ViewSharingDetail::refreshKind()
{
    const bool isdir = m_sharingObj->isdir();
    m_kindLabel->setText(isdir ? text("LS_SharingFolder") : localizedString(QStringLiteral("Sharing File")));
    // A single file has no visitor rights of its own.
    m_rightsRow->setVisible(isdir);
}

void ViewSharingDetail::refreshDefaultMark()
{
    m_defaultMark->setVisible(m_sharingObj->isDefault());
}

void ViewSharingDetail::saveChanges()
{
    // Making this share the default clears the flag on the previous default, whose pane then
    // saves too. That save waits until this one has finished, so this toast comes first and the
    // other's, failure included, is the one left showing.
    static bool saving = false;
    if (saving) {
        QTimer::singleShot(0, this, &ViewSharingDetail::saveChanges);
        return;
    }
    const QScopedValueRollback<bool> running(saving, true);
    bool ok = false;
    if (m_sharingObj->isDefault()) {
        // Stored together with its being the only default, and only then are the other panes told.
        ok = LocalShare_UpdateAsDefault(*m_sharingObj) && m_list && m_list->markDefault(m_sharingObj->tag());
    } else {
        ok = LocalShare_Update(*m_sharingObj);
    }
    if (MainViewUi *parent = MainViewUi::current())
        parent->showUpdateResult(ok);
    queueLinkRefresh(m_sharingObj);
}

void ViewSharingDetail::onDeleteRightChanged(bool value)
{
    m_sharingObj->setIsfilenew(value);
    m_sharingObj->setIsfilerename(value);
    saveChanges();
}

void ViewSharingDetail::choosePath()
{
    const QPointer<ViewSharingDetail> alive(this);
    UtilSystem::selectPathAsync(QString::fromLatin1(UtilSystem::choosePathTitle), true, [alive](const QString &paths) {
        if (alive)
            alive->changePath(paths);
    }, this);
}

void ViewSharingDetail::changePath(const QString &paths)
{
    // Nothing is there after a cancel, or for several folders joined with "|".
    if (UtilSystem::getPathType(paths) <= 0)
        return;
    m_sharingObj->setPath(paths);
    const bool ok = LocalShare_Update(*m_sharingObj);
    if (MainViewUi *parent = MainViewUi::current())
        parent->showUpdateResult(ok);
}

void ViewSharingDetail::openPath()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(UtilSystem::appendEndSeparator(m_sharingObj->path())));
}

void ViewSharingDetail::askRemove()
{
    MainViewUi *parent = MainViewUi::current();
    if (!parent)
        return;
    DialogConfirmSetting &setting = parent->dialogConfirmSetting();
    setting.setTitle(QStringLiteral("Fenmar"));
    setting.setInfo(text("LS_RemoveInfo") + u'\n' + m_sharingObj->path());
    setting.setOkAction([share = m_sharingObj, list = m_list] { removeSharing(share, list); });
    parent->showConfirmDialog();
}

void ViewSharingDetail::removeSharing(const SharingObjPtr &share, SharingObjList *list)
{
    const bool ok = list && list->remove(share->tag());
    if (MainViewUi *parent = MainViewUi::current())
        parent->showUpdateResult(ok);
}

void ViewSharingDetail::openTagEditor()
{
    if (m_tagEditor)
        return;
    // A fresh editor for every presentation; it closes itself.
    m_isShowEditTagVie = true;
    m_tagEditor = new SharingTagEditView(m_sharingObj, this);
    connect(m_tagEditor, &QDialog::finished, this, [this] {
        m_isShowEditTagVie = false;
        if (m_tagEditor)
            m_tagEditor->deleteLater();
        m_tagEditor = nullptr;
    });
    m_tagEditor->open();
}

void ViewSharingDetail::openLink()
{
    UtilSystem::openURL(m_sharingObj->tagURL());
}

void ViewSharingDetail::askAccessCode()
{
    MainViewUi *parent = MainViewUi::current();
    if (!parent)
        return;
    DialogInput_Setting &setting = parent->dialogInputSetting();
    // The current code is neither shown nor offered: the field starts empty, and an empty entry
    // removes the code.
    setting.configure(text("LS_AccessCodeSetTitle"), QString(),
                      [share = m_sharingObj, setting = QPointer<DialogInput_Setting>(&setting)] {
                          if (setting)
                              setAccessCode(share, setting->value());
                      },
                      0, 30, DialogInput_Setting_ValidType::dsvPassword, true);
    parent->showInputDialog();
}

void ViewSharingDetail::setAccessCode(const SharingObjPtr &share, const QString &code)
{
    share->setPassword(code);
    const bool ok = LocalShare_Update(*share);
    if (MainViewUi *parent = MainViewUi::current())
        parent->showUpdateResult(ok);
}
