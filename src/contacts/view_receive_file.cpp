#include "view_receive_file.h"

#include "bridge_interfaces.h"
#include "localization.h"
#include "contact_widgets.h"
#include "symbol_button.h"
#include "theme.h"
#include "util_system.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using ContactWidgets::plainLabel;
using ContactWidgets::setTextColor;

// Texts that come from a peer are cut short, so that no offer can stretch the sheet off the screen.
QString shortened(const QString &text, qsizetype limit)
{
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("…");
}

QPushButton *button(QWidget *parent, const QString &text, const QString &name)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(name);
    result->setMinimumWidth(96);
    result->setAutoDefault(false);
    return result;
}

} // namespace

void ViewReceiveFile::registerAsReceiveSheet()
{
    ReceiveFilesSheet::setMaker([](MainViewInterface &window, QWidget *parent) {
        return new ViewReceiveFile(window, QString(), QString(), true, parent);
    });
}

ViewReceiveFile::ViewReceiveFile(MainViewInterface &ctlViewReceiveFile, const QString &strTitle,
                                 const QString &downloadSaveAt, bool isOverwrite, QWidget *parent)
    : ReceiveFilesSheet(parent), m_task(new ReceiveFileTask(ctlViewReceiveFile, downloadSaveAt, this)),
      m_isOverwrite(isOverwrite)
{
    setObjectName(QStringLiteral("viewReceiveFile"));
    setFixedWidth(500);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    addTitleRow(layout);
    titleLabel()->setText(strTitle.isEmpty() ? localizedString(QStringLiteral("Contact_ReceiveTitle")) : strTitle);
    buildLayout(layout);

    connect(m_task, &ReceiveFileTask::changed, this, &ViewReceiveFile::sync);
    refresh();
}

ViewReceiveFile::~ViewReceiveFile() = default;

void ViewReceiveFile::buildLayout(QVBoxLayout *layout)
{
    // Who offers what.
    auto *offer = new QHBoxLayout;
    offer->setContentsMargins(24, 18, 24, 8);
    offer->setSpacing(14);
    auto *avatar = plainLabel(this, QStringLiteral("avatar"));
    avatar->setPixmap(Theme::symbolPixmap(QStringLiteral("person.crop.circle.fill"), QSize(44, 44),
                                          Theme::color(QStringLiteral("ColorMain0")), devicePixelRatioF()));
    avatar->setFixedSize(44, 44);
    offer->addWidget(avatar, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    m_from = plainLabel(this, QStringLiteral("fromLabel"));
    m_from->setFont(Theme::font(14, QFont::DemiBold));
    m_from->setWordWrap(true);
    m_summary = plainLabel(this, QStringLiteral("summaryLabel"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    texts->addWidget(m_from);
    texts->addWidget(m_summary);
    offer->addLayout(texts, 1);
    layout->addLayout(offer);

    // Where it goes.
    auto *folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(24, 8, 24, 4);
    folderRow->setSpacing(8);
    auto *saveTo = plainLabel(this, QStringLiteral("saveToLabel"));
    saveTo->setText(localizedString(QStringLiteral("Contact_SaveTo")));
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("folderField"));
    m_folder->setReadOnly(true);
    m_folder->setFocusPolicy(Qt::NoFocus);
    m_chooseFolder = new SymbolButton(QStringLiteral("rectangle.and.pencil.and.ellipsis"),
                                      Theme::color(QStringLiteral("activeButton")),
                                      localizedString(QStringLiteral("Contact_ChooseFolder")), this);
    m_chooseFolder->setObjectName(QStringLiteral("chooseFolderButton"));
    m_chooseFolder->setIconSize(QSize(20, 20));
    folderRow->addWidget(saveTo);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_chooseFolder);
    layout->addLayout(folderRow);

    // How it goes.
    auto *progress = new QVBoxLayout;
    progress->setContentsMargins(24, 10, 24, 0);
    progress->setSpacing(6);
    m_countDown = plainLabel(this, QStringLiteral("countDownLabel"));
    m_countDown->setAlignment(Qt::AlignCenter);
    setTextColor(m_countDown, QStringLiteral("gray"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 1000);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(8);
    m_progressText = plainLabel(this, QStringLiteral("progressLabel"));
    m_currentFile = plainLabel(this, QStringLiteral("currentFileLabel"));
    m_currentFile->setFont(Theme::font(12));
    setTextColor(m_currentFile, QStringLiteral("gray"));
    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(8);
    m_statusIcon = plainLabel(this, QStringLiteral("statusIcon"));
    m_statusIcon->setFixedSize(20, 20);
    m_status = plainLabel(this, QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);
    statusRow->addWidget(m_statusIcon, 0, Qt::AlignTop);
    statusRow->addWidget(m_status, 1);
    progress->addWidget(m_countDown);
    progress->addWidget(m_progressBar);
    progress->addWidget(m_progressText);
    progress->addWidget(m_currentFile);
    progress->addLayout(statusRow);
    layout->addLayout(progress);

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->setContentsMargins(24, 14, 24, 18);
    m_refuse = button(this, localizedString(QStringLiteral("Contact_Refuse")), QStringLiteral("refuseButton"));
    m_accept = button(this, localizedString(QStringLiteral("Contact_Accept")), QStringLiteral("acceptButton"));
    m_accept->setDefault(true);
    ContactWidgets::stylePrimaryButton(m_accept);
    m_cancel = button(this, localizedString(LocalizedStringKey("Cancel").stringKey()), QStringLiteral("cancelButton"));
    m_close = button(this, localizedString(QStringLiteral("Contact_Close")), QStringLiteral("closeSheetButton"));
    buttons->addButton(m_refuse, QDialogButtonBox::RejectRole);
    buttons->addButton(m_accept, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    buttons->addButton(m_close, QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);

    connect(m_chooseFolder, &QToolButton::clicked, this, &ViewReceiveFile::chooseFolder);
    connect(m_accept, &QPushButton::clicked, m_task, &ReceiveFileTask::accept);
    connect(m_refuse, &QPushButton::clicked, m_task, &ReceiveFileTask::refuse);
    connect(m_cancel, &QPushButton::clicked, m_task, &ReceiveFileTask::cancel);
    connect(m_close, &QPushButton::clicked, m_task, &ReceiveFileTask::close);
}

void ViewReceiveFile::onStateChanged()
{
    // Detects a new offer, then shows it through sync().
    m_task->onStateChanged();
}

void ViewReceiveFile::sync()
{
    const bool shown = m_task->state().isShowView;
    if (shown && !isVisible())
        open();
    else if (!shown && isVisible())
        QDialog::done(QDialog::Rejected);
    refresh();
}

void ViewReceiveFile::reject()
{
    m_task->close();
}

void ViewReceiveFile::chooseFolder()
{
    QPointer<ViewReceiveFile> self(this);
    UtilSystem::selectPathAsync(localizedString(QStringLiteral("Contact_ChooseFolderTitle")), true,
                                [self](const QString &paths) {
                                    if (self)
                                        self->m_task->chooseFolder(paths);
                                }, this);
}

void ViewReceiveFile::showEvent(QShowEvent *event)
{
    SheetDialog::showEvent(event);
    m_task->onShown();
}

void ViewReceiveFile::hideEvent(QHideEvent *event)
{
    m_task->onHidden();
    SheetDialog::hideEvent(event);
}

void ViewReceiveFile::refresh()
{
    const CtlViewReceiveFile state = m_task->state();
    const TransferProgress &progress = m_task->progress();
    const bool waiting = state.vrsState == ViewReceiveState::vrsWaiting && state.taskState == QStringLiteral("0");
    const bool running = state.vrsState == ViewReceiveState::vrsRunning;
    const bool ended = !waiting && !running;

    const QString from = state.FromUser.isEmpty() ? localizedString(QStringLiteral("Contact_SomeContact")) : state.FromUser;
    m_from->setText(localizedString(QStringLiteral("Contact_OfferFrom")).arg(shortened(from, 120)));
    m_summary->setText(shortened(state.Summary, 600));
    m_folder->setText(running || ended ? (state.taskState.size() > 1 ? state.taskState : m_task->saveAt())
                                       : m_task->saveAt());
    m_folder->setToolTip(m_folder->text());
    // The end of a long path says more than its start.
    m_folder->setCursorPosition(int(m_folder->text().size()));
    m_chooseFolder->setEnabled(waiting);

    m_countDown->setVisible(waiting);
    m_countDown->setText(
        localizedString(QStringLiteral("Contact_CountDown")).arg(qMax(0, qRound(state.iCountDown))));

    const bool started = progress.taskStatus != TransferTaskStatus::tsNone || progress.hasEnded();
    m_progressBar->setVisible(running || state.vrsState == ViewReceiveState::vrsFinished);
    m_progressBar->setValue(int(progress.percent * 10));
    m_progressText->setVisible(running && started && !progress.describe().isEmpty());
    m_progressText->setText(progress.describe());
    m_currentFile->setVisible(running && !progress.currentFile.isEmpty());
    m_currentFile->setText(m_currentFile->fontMetrics().elidedText(UtilSystem::getFileName(progress.currentFile),
                                                                    Qt::ElideMiddle, 440));

    QString status = m_task->message();
    QString symbol;
    QString color;
    if (running && status.isEmpty())
        status = started ? localizedString(QStringLiteral("Contact_Receiving"))
                         : localizedString(QStringLiteral("Contact_WaitingForSender"));
    if (state.vrsState == ViewReceiveState::vrsFinished) {
        status = localizedString(QStringLiteral("Contact_ReceiveFinished")).arg(state.taskState);
        symbol = QStringLiteral("checkmark");
        color = QStringLiteral("green");
    } else if (ended) {
        symbol = QStringLiteral("multiply.circle.fill");
        color = QStringLiteral("btnRed");
    }
    m_status->setVisible(!status.isEmpty());
    m_status->setText(status);
    m_statusIcon->setVisible(!symbol.isEmpty());
    if (!symbol.isEmpty())
        m_statusIcon->setPixmap(Theme::symbolPixmap(symbol, QSize(20, 20), Theme::color(color), devicePixelRatioF()));

    m_refuse->setVisible(waiting);
    m_accept->setVisible(waiting);
    m_cancel->setVisible(running);
    m_close->setVisible(ended);
    adjustSize();
}
