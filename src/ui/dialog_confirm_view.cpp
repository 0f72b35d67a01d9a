#include "dialog_confirm_view.h"

#include "dialog_confirm_setting.h"
#include "localization.h"
#include "theme.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DialogConfirmView::DialogConfirmView(DialogConfirmSetting *setting, QWidget *parent)
    : SheetDialog(parent), m_setting(setting)
{
    setObjectName(QStringLiteral("dialogConfirm"));
    // 480 by 160, taller when the message needs more lines.
    setFixedWidth(480);
    setMinimumHeight(160);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("infoLabel"));
    m_info->setTextFormat(Qt::PlainText);
    m_info->setWordWrap(true);
    m_info->setAlignment(Qt::AlignCenter);
    layout->addStretch(1);
    layout->addWidget(m_info, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    const ButtonRow buttons = addButtonRow(layout, localizedString(LocalizedStringKey("OK").stringKey()),
                                           localizedString(LocalizedStringKey("Cancel").stringKey()), 15);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;

    connect(m_ok, &QPushButton::clicked, this, &DialogConfirmView::onOK);
    connect(m_cancel, &QPushButton::clicked, this, &DialogConfirmView::onCancel);
    if (m_setting)
        connect(m_setting, &DialogConfirmSetting::changed, this, &DialogConfirmView::refresh);
    refresh();
}

DialogConfirmView::~DialogConfirmView() = default;

DialogConfirmSetting *DialogConfirmView::setting() const
{
    return m_setting;
}

void DialogConfirmView::showEvent(QShowEvent *event)
{
    refresh();
    SheetDialog::showEvent(event);
    defaultButton()->setFocus();
}

void DialogConfirmView::refresh()
{
    if (!m_setting)
        return;
    titleLabel()->setText(m_setting->title());
    m_info->setText(m_setting->info());
    // A wrapped label only gets the height its width needs when both are fixed. The old height
    // goes first: a label never asks for less than the least height it is held to.
    const int width = qMax(qMin(450, m_info->fontMetrics().horizontalAdvance(m_setting->info()) + 4), 1);
    m_info->setFixedWidth(width);
    m_info->setMinimumHeight(0);
    m_info->setFixedHeight(qMax(m_info->heightForWidth(width), m_info->fontMetrics().height()));
    m_ok->setVisible(m_setting->isBtnOK());
    m_cancel->setVisible(m_setting->isBtnCancel());
    QPushButton *chosen = defaultButton();
    for (QPushButton *button : {m_ok, m_cancel}) {
        button->setAutoDefault(button == chosen);
        button->setDefault(button == chosen);
    }
    fitHeightToContent();
}

QPushButton *DialogConfirmView::defaultButton() const
{
    if (m_setting && m_setting->isBtnCancel())
        return m_cancel;
    return m_ok;
}

void DialogConfirmView::onOK()
{
    const QPointer<DialogConfirmView> alive(this);
    if (m_setting) {
        // A copy: the action may rewrite the setting it came from.
        const DialogConfirmSetting::Action action = m_setting->okAction();
        if (action)
            action();
    }
    // Closed, not toggled: an action that already closed the panel leaves it closed.
    if (alive)
        accept();
}

void DialogConfirmView::onCancel()
{
    const QPointer<DialogConfirmView> alive(this);
    if (m_setting) {
        const DialogConfirmSetting::Action action = m_setting->cancelAction();
        if (action)
            action();
    }
    if (alive)
        reject();
}
