#include "file_dialog_panels.h"

#include "util_system.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QHash>
#include <QPointer>

#include <memory>

namespace {

std::optional<QStringList> nextAnswer;
std::optional<FileDialogPanels::Request> lastAsked;

// Takes the answer a test queued, if any.
std::optional<QStringList> takeNextAnswer(const QString &title, bool chooseDir)
{
    lastAsked = FileDialogPanels::Request{title, chooseDir};
    std::optional<QStringList> answer;
    answer.swap(nextAnswer);
    return answer;
}

QWidget *panelParent()
{
    return QApplication::activeWindow();
}

QStringList chosenPaths(const QFileDialog &panel)
{
    return panel.result() == QDialog::Accepted ? panel.selectedFiles() : QStringList();
}

// The panels on screen, each under the page or sheet that asked for it.
QHash<const QObject *, QPointer<QFileDialog>> &openPanels()
{
    static QHash<const QObject *, QPointer<QFileDialog>> panels;
    return panels;
}

// Brings the asker's panel to the front when it has one open.
bool raiseOpenPanel(const QObject *asker)
{
    const QPointer<QFileDialog> panel = asker ? openPanels().value(asker) : nullptr;
    if (!panel)
        return false;
    panel->raise();
    panel->activateWindow();
    return true;
}

// The panel stays asker's until it ends or asker goes.
void rememberPanel(QObject *asker, QFileDialog *panel)
{
    if (!asker)
        return;
    openPanels().insert(asker, panel);
    const auto forget = [asker] { openPanels().remove(asker); };
    QObject::connect(panel, &QDialog::finished, panel, forget);
    QObject::connect(asker, &QObject::destroyed, panel, forget);
}

} // namespace

QFileDialog *FileDialogPanels::createPanel(QWidget *parent, const QString &title, bool chooseDir)
{
    // Opens in the home folder: the program's working folder means nothing to the user.
    auto *panel = new QFileDialog(parent, title, QDir::homePath());
    panel->setObjectName(QStringLiteral("openPanel"));
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setSizeGripEnabled(true);
    // Hidden entries stay out: no QDir::Hidden in the filter.
    panel->setFilter(chooseDir ? (QDir::AllDirs | QDir::NoDotAndDotDot)
                               : (QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot));
    if (chooseDir) {
        panel->setFileMode(QFileDialog::Directory);
        panel->setOption(QFileDialog::ShowDirsOnly, true);
        panel->setOption(QFileDialog::DontUseNativeDialog, true);
        // Qt's folder mode picks one folder; its views take several once told to.
        for (QAbstractItemView *view : panel->findChildren<QAbstractItemView *>()) {
            if (view->objectName() == QLatin1String("listView") || view->objectName() == QLatin1String("treeView"))
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
    } else {
        panel->setFileMode(QFileDialog::ExistingFiles);
    }
    return panel;
}

void FileDialogPanels::setNextAnswer(const QStringList &chosen)
{
    nextAnswer = chosen;
}

void FileDialogPanels::clearNextAnswer()
{
    nextAnswer.reset();
    lastAsked.reset();
}

std::optional<FileDialogPanels::Request> FileDialogPanels::lastRequest()
{
    return lastAsked;
}

void registerFileDialogPanels()
{
    UtilSystem::PanelProvider provider;
    provider.showAsync = [](const QString &title, bool chooseDir, QObject *asker,
                            std::function<void(const QStringList &)> done) {
        // A second click while the asker's panel is open: that panel gives the answer.
        if (raiseOpenPanel(asker))
            return;
        if (std::optional<QStringList> answer = takeNextAnswer(title, chooseDir)) {
            // Later, on the event loop, as a real panel would answer.
            QMetaObject::invokeMethod(qApp, [done = std::move(done), chosen = *answer] { done(chosen); },
                                      Qt::QueuedConnection);
            return;
        }
        QFileDialog *panel = FileDialogPanels::createPanel(panelParent(), title, chooseDir);
        panel->setAttribute(Qt::WA_DeleteOnClose);
        rememberPanel(asker, panel);
        QObject::connect(panel, &QDialog::finished, panel, [panel, done = std::move(done)](int) {
            done(chosenPaths(*panel));
        });
        // Not modal: the window behind it goes on taking input.
        panel->show();
    };
    provider.showModal = [](const QString &title, bool chooseDir) {
        if (std::optional<QStringList> answer = takeNextAnswer(title, chooseDir))
            return *answer;
        const std::unique_ptr<QFileDialog> panel(FileDialogPanels::createPanel(panelParent(), title, chooseDir));
        panel->exec();
        return chosenPaths(*panel);
    };
    UtilSystem::setPanelProvider(std::move(provider));
}
