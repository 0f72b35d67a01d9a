#pragma once

#include <QToolButton>

// A borderless button that shows only a symbol: its tooltip says what it does. It takes focus
// with Tab, shows that focus with a clear ring, and Space, Return or Enter press it.
//
//     auto *lock = new SymbolButton(QStringLiteral("lock.square"), tint, tooltip, row);
class SymbolButton final : public QToolButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SymbolButton)

public:
    SymbolButton(const QString &symbol, const QColor &tint, const QString &toolTip, QWidget *parent = nullptr);
    ~SymbolButton() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

// The focus ring every control of the program draws: 2 pixels of "activeBorder" inside rect.
void paintFocusRing(QWidget *widget, const QRect &rect, qreal radius);
