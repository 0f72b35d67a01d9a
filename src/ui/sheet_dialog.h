#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

// A panel shown as a sheet over its parent window: window-modal (open it with open()), without
// a title bar, framed by a rounded border in "frameBorder". It sits centred on the window it
// belongs to and goes with it when that window is moved or resized, so it is never left in a
// corner of the screen where it cannot be moved.
// Escape and the close icon close it without running any action. Once it has closed, the keyboard
// goes back to the control that had it when the panel opened (see setFocusReturn).
class SheetDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SheetDialog)

public:
    explicit SheetDialog(QWidget *parent = nullptr);
    ~SheetDialog() override;

    // Moves the sheet to the middle of its parent's window (nothing without a parent).
    void centreOnWindow();

    // Where the keyboard goes once the panel has closed: back to the control that had it in the
    // window when the panel opened, while that control is still shown and on; else it stays
    // where the page has put it meanwhile if that is inside area (the parent unless set); else
    // to the first control of area, or of the parent when area has none.
    // A panel that no control opens (the window's own login sheet) passes toOpener false.
    void setFocusReturn(QWidget *area, bool toOpener = true);

protected:
    // Adds the first rows of a titled panel to layout: the red close icon at the leading edge,
    // the bold heading in the middle of the rest, and a divider under them.
    void addTitleRow(QVBoxLayout *layout);
    QLabel *titleLabel() const { return m_title; }
    // OK and Cancel at the foot of a panel.
    struct ButtonRow {
        QPushButton *ok;
        QPushButton *cancel;
    };
    // Adds the foot of a panel to layout: OK, then Cancel, each at least 66 wide, with 10 after
    // OK and 8 before Cancel (none after OK while Cancel is hidden). The row is inset 8 from the
    // leading edge and bottomInset from the bottom, and centred across the panel with its inset.
    ButtonRow addButtonRow(QVBoxLayout *layout, const QString &okText, const QString &cancelText, int bottomInset);
    // Gives the panel the height its content needs at its fixed width, but never less than its
    // least height: taller for a long text, and back down for a short one.
    void fitHeightToContent();
    // Return belongs to the panel's fields: no button is made the default, not even by a
    // QDialogButtonBox, which picks its first accepting button when the panel shows.
    void setWithoutDefaultButton() { m_withoutDefault = true; }
    // Takes the default away from every button of this panel again (after a button box was first
    // shown); the panels opened over it keep theirs.
    void clearDefaultButtons();
    QToolButton *closeButton() const { return m_close; }

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_title = nullptr;
    QToolButton *m_close = nullptr;
    QWidget *m_followed = nullptr;
    bool m_withoutDefault = false;
    QPointer<QWidget> m_opener;
    QPointer<QWidget> m_focusArea;
    bool m_returnsToOpener = true;
};
