#pragma once

#include <QDialog>

class QLabel;
class QToolButton;
class QVBoxLayout;

// A panel shown as a sheet over its parent window: window-modal (open it with open()), without
// a title bar, centred on the parent and framed by a rounded border in "frameBorder".
// Escape and the close icon close it without running any action.
class SheetDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SheetDialog)

public:
    explicit SheetDialog(QWidget *parent = nullptr);
    ~SheetDialog() override;

protected:
    // Adds the first rows of a titled panel to layout: the red close icon at the leading edge,
    // the bold heading in the middle of the rest, and a divider under them.
    void addTitleRow(QVBoxLayout *layout);
    QLabel *titleLabel() const { return m_title; }
    QToolButton *closeButton() const { return m_close; }

    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_title = nullptr;
    QToolButton *m_close = nullptr;
};
