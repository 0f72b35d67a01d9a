#pragma once

// One button of the main window's side navigation: a symbol in a rounded tile whose colours
// follow the window's colour lists at the button's page index. A click selects that page.

#include <QAbstractButton>
#include <QString>

class MainView;

class SideNavItemView final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SideNavItemView)

public:
    static constexpr int iconSize = 32;
    static constexpr int margin = 10;
    static constexpr int cornerRadius = 15;
    static constexpr int borderWidth = 4;

    SideNavItemView(MainView &parent, const QString &icon, qint64 index, QWidget *parentWidget = nullptr);

    QString icon() const { return m_icon; }
    qint64 index() const { return m_index; }

    // Selects page p: it alone is shown, its entries get the selected colours, all others the
    // unselected ones (the button-less page included).
    static void select(MainView &parent, qint64 p);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void onTap();

    MainView &m_parent;
    QString m_icon;
    qint64 m_index;
    bool m_hovered = false;
};
