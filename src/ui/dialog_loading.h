#pragma once

#include "sheet_dialog.h"

#include <QPointer>
#include <QWidget>

class DialogLoadingSetting;
class QLabel;
class QTimer;

// A waiting indicator: the setting's title (when not empty) above four pulsing dots. While it is
// shown it counts one-second ticks from 0; once the count passes the setting's maxWaiting it stops
// counting, hides itself (unless told to stay), emits limitReached() and runs the setting's
// actionTimeout. Hiding it stops the count; showing it again starts a new one.
//
// Embedded in a page, its visibility is the owner's show flag; an indicator that must stay up
// after the limit calls setHidesAtLimit(false). DialogLoadingSheet shows one as a sheet.
class DialogLoading final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogLoading)

public:
    // setting is not owned; the owner keeps it.
    explicit DialogLoading(DialogLoadingSetting *setting, QWidget *parent = nullptr);
    ~DialogLoading() override;

    DialogLoadingSetting *setting() const { return m_setting; }
    void setHidesAtLimit(bool hides) { m_hidesAtLimit = hides; }
    bool hidesAtLimit() const { return m_hidesAtLimit; }

    // Ticks counted since the indicator was last shown.
    int timerCounter() const { return m_timerCounter; }
    // True while the one-second count runs.
    bool isCounting() const;
    // One tick of the count, as the one-second timer gives it.
    void onTimerTick();

    // The scale (0.5 to 1.0) of dot index at time ms after the pulse started.
    static qreal dotScale(int index, qint64 ms);

Q_SIGNALS:
    void limitReached();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    QPointer<DialogLoadingSetting> m_setting;
    QLabel *m_title = nullptr;
    QWidget *m_dots = nullptr;
    QTimer *m_tickTimer = nullptr;
    int m_timerCounter = 0;
    bool m_hidesAtLimit = true;
};

// A loading indicator shown as a sheet: it closes itself at the indicator's limit.
class DialogLoadingSheet final : public SheetDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogLoadingSheet)

public:
    explicit DialogLoadingSheet(DialogLoadingSetting *setting, QWidget *parent = nullptr);
    ~DialogLoadingSheet() override;

    DialogLoading *loading() const { return m_loading; }

private:
    DialogLoading *m_loading = nullptr;
};
