#include "remote_transfer_sheet.h"

#include "clock.h"
#include "util_system.h"
#include "env.h"
#include "link_status.h"
#include "localization.h"
#include "theme.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using Status = RemoteSharingDownloadStatus;

namespace {

// "1 of 3 files"; English says "1 of 1 file".
QString filesText(qint64 done, qint64 total)
{
    if (Env::languageCode() == u"en" && total == 1)
        return QStringLiteral("%1 of 1 file").arg(done);
    return localizedString(QStringLiteral("RS_FilesOf")).arg(done).arg(total);
}

} // namespace

RemoteTransferSheet::RemoteTransferSheet(const QString &title, QWidget *parent) : SheetDialog(parent)
{
    setFixedWidth(520);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    titleLabel()->setText(title);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(20, 14, 20, 16);
    body->setSpacing(10);
    m_content = new QVBoxLayout;
    m_content->setSpacing(8);
    body->addLayout(m_content);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("transferProgress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setMinimumHeight(20);
    body->addWidget(m_progress);

    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("transferStatus"));
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setWordWrap(true);
    m_statusLine->setFont(Theme::font(13));
    body->addWidget(m_statusLine);

    // The platform's order; Start is what Return presses while the sheet is being filled in.
    m_buttons = new QDialogButtonBox(this);
    m_buttons->setObjectName(QStringLiteral("buttonBox"));
    m_cancel = m_buttons->addButton(localizedString(QStringLiteral("Sys_Button_Cancel")), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancelTransferButton"));
    m_close = m_buttons->addButton(localizedString(QStringLiteral("RS_Close")), QDialogButtonBox::RejectRole);
    m_close->setObjectName(QStringLiteral("closeSheetButton"));
    m_start = m_buttons->addButton(localizedString(QStringLiteral("RS_Start")), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(QStringLiteral("startButton"));
    for (QPushButton *button : {m_cancel, m_close, m_start}) {
        button->setMinimumWidth(86);
        button->setAutoDefault(false);
    }
    m_start->setDefault(true);
    body->addWidget(m_buttons);
    layout->addLayout(body);

    connect(m_start, &QPushButton::clicked, this, &RemoteTransferSheet::startTransfer);
    connect(m_cancel, &QPushButton::clicked, this, &RemoteTransferSheet::cancelTransfer);
    connect(m_close, &QPushButton::clicked, this, &RemoteTransferSheet::reject);

    m_tick = new QTimer(this);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, &RemoteTransferSheet::onTimerTick);
    connect(&LinkStatus::notifier(), &LinkStatus::Notifier::changed, this, &RemoteTransferSheet::onServiceChanged);
}

RemoteTransferSheet::~RemoteTransferSheet() = default;

int RemoteTransferSheet::percent() const
{
    return m_tracker.percent();
}

QString RemoteTransferSheet::withSaved(const QString &text) const
{
    const QString saved = savedText();
    return saved.isEmpty() ? text : text + u'\n' + saved;
}

QString RemoteTransferSheet::progressText() const
{
    const TransferTaskStatus &info = m_tracker.last();
    QString text = QStringLiteral("%p%");
    if (info.TotalSize > 0) {
        const auto size = [](qint64 bytes) { return UtilSystem::formatFileSize(std::uint64_t(std::max<qint64>(0, bytes))); };
        const qint64 done = m_tracker.status() == Status::dsFinished ? info.TotalSize : info.TotalDoneSize;
        text += QStringLiteral(" · ") + localizedString(QStringLiteral("RS_BytesOf")).arg(size(done), size(info.TotalSize));
        const qint64 rate = m_rate.bytesPerSecond();
        if (rate >= 0 && m_tracker.isBusy())
            text += QStringLiteral(" · ") + localizedString(QStringLiteral("RS_Rate")).arg(size(rate));
    }
    return text;
}

QString RemoteTransferSheet::statusText() const
{
    const TransferTaskStatus &info = m_tracker.last();
    switch (m_tracker.status()) {
    case Status::dsPreparing:
        return preparingText();
    case Status::dsStarting:
        return localizedString(QStringLiteral("RS_Starting"));
    case Status::dsRunning: {
        QString line = filesText(info.TotalTaskDoneCount, info.TotalTaskCount);
        const QString sep = info.CurrentTaskFile.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral("\\");
        const QString file = lastComponent(sep, info.CurrentTaskFile);
        if (!file.isEmpty())
            line += QStringLiteral(" · ") + file;
        return info.TotalTaskCount > 0 ? line : localizedString(QStringLiteral("RS_Starting"));
    }
    case Status::dsCancelling:
        return localizedString(QStringLiteral("RS_Cancelling"));
    case Status::dsFinished:
        return withSaved(finishedText());
    case Status::dsCanceled:
        return withSaved(localizedString(QStringLiteral("RS_TransferCanceled")));
    case Status::dsFailed:
        break;
    }
    const QString detail = m_tracker.detail();
    switch (m_tracker.failure()) {
    case TransferFailure::Refused:
        return localizedString(QStringLiteral("RS_TransferRefused")) + (detail.isEmpty() ? QString() : QStringLiteral(" ") + detail);
    case TransferFailure::Failed:
        return withSaved(localizedString(QStringLiteral("RS_TransferFailed")) + (detail.isEmpty() ? QString() : QStringLiteral(" ") + detail));
    case TransferFailure::Lost:
        return localizedString(QStringLiteral("RS_TransferLost"));
    case TransferFailure::LinkLost:
        return localizedString(QStringLiteral("RS_TransferLinkLost"));
    case TransferFailure::NoAnswer:
    case TransferFailure::None:
        break;
    }
    return localizedString(QStringLiteral("RS_TransferNoAnswer"));
}

void RemoteTransferSheet::startTransfer()
{
    if (m_tracker.isBusy() || !canStart())
        return;
    const Status before = m_tracker.status();
    beforeStart();
    m_tracker.start();
    m_lostLinksAtStart = LinkStatus::lostLinks();
    m_rate.reset();
    m_statusPending = false;
    ++m_statusRequest;
    QPointer<RemoteTransferSheet> self(this);
    sendStart([self](const std::optional<LenientJson> &answer) {
        if (self)
            self->onStartAnswer(answer);
    });
    afterChange(before);
}

void RemoteTransferSheet::onStartAnswer(const std::optional<LenientJson> &answer)
{
    const Status before = m_tracker.status();
    // Without a link to the service the start never reached a bridge.
    if (!answer && linkLostSinceStart())
        m_tracker.onLinkLost();
    else
        m_tracker.onStartAnswer(answer);
    afterChange(before);
}

bool RemoteTransferSheet::linkLostSinceStart() const
{
    return !Env::isBridgeConnected || LinkStatus::lostLinks() != m_lostLinksAtStart;
}

void RemoteTransferSheet::onServiceChanged()
{
    if (!m_tracker.isBusy() || !linkLostSinceStart())
        return;
    const Status before = m_tracker.status();
    m_tracker.onLinkLost();
    afterChange(before);
}

void RemoteTransferSheet::cancelTransfer()
{
    const Status before = m_tracker.status();
    if (m_tracker.cancel())
        sendCancel();
    afterChange(before);
}

void RemoteTransferSheet::onTimerTick()
{
    if (m_tracker.status() != Status::dsRunning && m_tracker.status() != Status::dsCancelling)
        return;
    if (m_statusPending) {
        if (Clock::nowMs() - m_statusSince < statusTimeoutMs)
            return;
        // Its answer, should it still come, is no longer the current one.
        m_statusPending = false;
        ++m_statusRequest;
        const Status before = m_tracker.status();
        m_tracker.onStatusAnswer(std::nullopt);
        afterChange(before);
        if (m_tracker.isEnded())
            return;
    }
    m_statusPending = true;
    m_statusSince = Clock::nowMs();
    sendStatusQuery(++m_statusRequest);
}

void RemoteTransferSheet::onStatusAnswer(quint64 request, const std::optional<LenientJson> &answer)
{
    if (request != m_statusRequest || !m_statusPending)
        return;
    m_statusPending = false;
    const Status before = m_tracker.status();
    m_tracker.onStatusAnswer(answer);
    if (answer)
        m_rate.add(Clock::nowMs(), m_tracker.last().TotalDoneSize);
    afterChange(before);
}

void RemoteTransferSheet::afterChange(Status before)
{
    const Status now = m_tracker.status();
    if (now == Status::dsRunning || now == Status::dsCancelling) {
        if (!m_tick->isActive())
            m_tick->start();
    } else {
        m_tick->stop();
    }
    refresh();
    if (now != before && m_tracker.isEnded())
        emit transferEnded(now);
}

void RemoteTransferSheet::refresh()
{
    const Status status = m_tracker.status();
    m_progress->setValue(m_tracker.percent());
    m_progress->setFormat(progressText());
    m_progress->setVisible(status != Status::dsPreparing);
    QString style;
    if (status == Status::dsFinished)
        style = Theme::color(QStringLiteral("green")).name();
    else if (status == Status::dsFailed || status == Status::dsCanceled)
        style = Theme::color(QStringLiteral("gray")).name();
    m_progress->setStyleSheet(style.isEmpty() ? QString()
                                              : QStringLiteral("QProgressBar::chunk { background: %1; }").arg(style));
    m_statusLine->setText(statusText());
    QPalette palette = m_statusLine->palette();
    palette.setColor(QPalette::WindowText, status == Status::dsFailed ? Theme::color(QStringLiteral("red"))
                                                                      : Theme::color(QStringLiteral("editTextColor")));
    m_statusLine->setPalette(palette);

    m_start->setVisible(status == Status::dsPreparing);
    m_start->setEnabled(canStart());
    m_cancel->setVisible(m_tracker.isBusy());
    m_cancel->setEnabled(status == Status::dsRunning);
    m_close->setVisible(!m_tracker.isBusy());
    m_close->setText(m_tracker.isEnded() ? localizedString(QStringLiteral("RS_Close")) : localizedString(QStringLiteral("Sys_Button_Cancel")));
    if (closeButton())
        closeButton()->setEnabled(!m_tracker.isBusy());
    updateControls();
    pointTabAtAShownButton();
    // As tall as the rows need: a status that wraps pushes the buttons down instead of running
    // over them.
    adjustSize();
}

void RemoteTransferSheet::pointTabAtAShownButton()
{
    // Tab into the button box goes to the button it names as its stand-in, which Qt makes its
    // first one (Start) and leaves so once Start is hidden: Tab then went nowhere while a transfer
    // ran. The stand-in is the first of its buttons shown and on (Cancel while it runs).
    QWidget *first = nullptr;
    for (QWidget *widget = m_buttons->nextInFocusChain(); !first && m_buttons->isAncestorOf(widget);
         widget = widget->nextInFocusChain()) {
        if (!widget->isHidden() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            first = widget;
    }
    m_buttons->setFocusProxy(first);
}

void RemoteTransferSheet::reject()
{
    // Escape on a transfer under way does what Cancel does, and the sheet stays to say how it
    // ended; it ends by itself, so the sheet is never stuck.
    if (m_tracker.isBusy()) {
        cancelTransfer();
        return;
    }
    SheetDialog::reject();
}
