#pragma once

#include <QWidget>

// The product banner at the top of the login sheet: logo, name with the program's version, and
// the subtitle.
class FenmarBannerView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FenmarBannerView)

public:
    explicit FenmarBannerView(QWidget *parent = nullptr);
};
