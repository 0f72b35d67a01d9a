#include "dialog_input_view.h"

#include "alert_toast.h"
#include "dialog_input_setting.h"
#include "localization.h"
#include "text_length.h"
#include "theme.h"
#include "toast_overlay.h"
#include "util_system.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DialogInputView::DialogInputView(DialogInput_Setting *setting, bool isCanSubmiti, QWidget *parent)
    : SheetDialog(parent), m_setting(setting)
{
    setObjectName(QStringLiteral("dialogInput"));
    // 480 by 160, taller when a hint line states the rules above the field.
    setFixedWidth(480);
    setMinimumHeight(160);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    layout->addStretch(1);

    m_tips = new QLabel(this);
    m_tips->setObjectName(QStringLiteral("tipsLabel"));
    m_tips->setTextFormat(Qt::PlainText);
    m_tips->setContentsMargins(10, 0, 10, 4);
    m_tips->setWordWrap(true);
    layout->addWidget(m_tips);

    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("inputField"));
    m_field->setFont(Theme::font(12));
    m_field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_field->setMinimumHeight(26);
    QPalette fieldPalette = m_field->palette();
    fieldPalette.setColor(QPalette::Text, Theme::color(QStringLiteral("editTextColor")));
    m_field->setPalette(fieldPalette);
    auto *fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(10, 0, 10, 0);
    fieldRow->addWidget(m_field);
    layout->addLayout(fieldRow);
    layout->addStretch(1);

    const ButtonRow buttons = addButtonRow(layout, localizedString(LocalizedStringKey("Sys_Button_OK").stringKey()),
                                           localizedString(LocalizedStringKey("Sys_Button_Cancel").stringKey()), 20);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;
    // Return belongs to the field alone: a default button would answer it even while OK is off.
    setWithoutDefaultButton();

    m_toast = new ToastOverlay(this, ToastOverlay::kPanelDuration);
    // Over the heading, not over the buttons the user reaches for next.
    m_toast->setBannerAtTop(true);

    connect(m_ok, &QPushButton::clicked, this, &DialogInputView::onOK);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        if (m_ok->isEnabled())
            onOK();
    });
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_setting)
            m_setting->setValue(text);
    });
    if (m_setting)
        connect(m_setting, &DialogInput_Setting::changed, this, &DialogInputView::refresh);

    setIsCanSubmiti(isCanSubmiti);
    refresh();
}

DialogInputView::~DialogInputView() = default;

bool DialogInputView::isCanSubmiti() const
{
    return m_ok->isEnabled();
}

void DialogInputView::setIsCanSubmiti(bool canSubmit)
{
    m_ok->setEnabled(canSubmit);
}

QString DialogInputView::refusal(const DialogInput_Setting &setting, const QString &value)
{
    const int n = graphemeCount(value);
    if (setting.isAllowEmpty() && n == 0)
        return {};
    if (n < setting.lenMin())
        return QStringLiteral("input length should >=") + QString::number(setting.lenMin());
    if (n > setting.lenMax())
        return QStringLiteral("input length should <=") + QString::number(setting.lenMax());
    if (setting.validType() == DialogInput_Setting_ValidType::dsvPassword && !UtilSystem::isValidAlnum(value, 4, 16))
        return QStringLiteral("The password should be 4~16 characters/numbers");
    // No further rule for the other kinds: the length checks are all they ask.
    return {};
}

void DialogInputView::onOK()
{
    if (!m_setting)
        return;
    const QString message = refusal(*m_setting, m_setting->value());
    if (!message.isEmpty()) {
        m_toast->present(AlertToast::banner(message));
        return;
    }
    // Closed first, then the action: it may open this panel again for a new question.
    const DialogInput_Setting::Action action = m_setting->okAction();
    accept();
    if (action)
        action();
}

void DialogInputView::showEvent(QShowEvent *event)
{
    // Each showing starts without a toast and with the field holding the setting's value.
    m_toast->dismiss();
    refresh();
    SheetDialog::showEvent(event);
    m_field->setFocus();
}

void DialogInputView::refresh()
{
    if (!m_setting)
        return;
    titleLabel()->setText(m_setting->title());
    m_tips->setText(m_setting->tips());
    m_tips->setVisible(!m_setting->tips().isEmpty());
    fitHeightToContent();
    if (m_field->text() != m_setting->value())
        m_field->setText(m_setting->value());
}
