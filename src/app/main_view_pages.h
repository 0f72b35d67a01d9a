#pragma once

class MainView;
class QWidget;

// The page of the main window's content area at index (MainView::Page), wired to the window's
// state; nullptr for a page that is not built yet.
QWidget *makeMainViewPage(MainView &view, int index, QWidget *parent);
