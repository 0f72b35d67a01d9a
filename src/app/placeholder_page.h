#pragma once

#include <QWidget>

// Holds a page's place in the main window until the page itself is built: its symbol and title.
class PlaceholderPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaceholderPage)

public:
    PlaceholderPage(const QString &symbol, const QString &title, QWidget *parent = nullptr);
};
