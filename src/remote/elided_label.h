#pragma once

#include <QLabel>

// A one-line label that shows its whole text when there is room and leaves out the middle when
// there is not (long folder paths keep their start and their last folder). The whole text is its
// tooltip.
class ElidedLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElidedLabel)

public:
    explicit ElidedLabel(QWidget *parent = nullptr);
    ~ElidedLabel() override;

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_fullText;
};
