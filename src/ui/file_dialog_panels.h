#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFileDialog;
class QWidget;

// Gives UtilSystem its open panels: a QFileDialog over the active window, titled as asked,
// resizable, hiding hidden files, with several items selectable, folders only or files only. The
// panel of selectPathAsync is not modal; one asker has at most one of them open.
// Call once at start-up, after the QApplication exists.
void registerFileDialogPanels();

// The panel itself and a seam for tests, so that no test ever waits on a panel.
class FileDialogPanels final
{
public:
    FileDialogPanels() = delete;

    // The panel as it is shown, not yet shown. Folder panels are Qt's own dialog, since the
    // platform's cannot choose several folders; the caller owns the result.
    static QFileDialog *createPanel(QWidget *parent, const QString &title, bool chooseDir);

    // The next panel is not shown: it answers chosen at once (an empty list is a cancel).
    static void setNextAnswer(const QStringList &chosen);
    static void clearNextAnswer();

    // The title and kind of the last panel asked for (tests).
    struct Request
    {
        QString title;
        bool chooseDir = false;
    };
    static std::optional<Request> lastRequest();
};
