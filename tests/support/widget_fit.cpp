#include "widget_fit.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QLineEdit>
#include <QStyle>
#include <QWidget>

namespace {

QString nameOf(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : widget->objectName();
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The viewport of a scroll area shows part of its content; that content is not cut by it.
bool scrolls(const QWidget *parent)
{
    const auto *area = parent ? qobject_cast<const QAbstractScrollArea *>(parent->parentWidget()) : nullptr;
    return area && area->viewport() == parent;
}

} // namespace

QStringList cutWidgets(QWidget *root)
{
    QStringList cuts;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root) || widget->isWindow())
            continue;
        QSize needs = widget->minimumSizeHint();
        // A field is whole while a line of its text fits inside its frame (its least size also
        // counts the font's leading and a margin, which can go).
        if (const auto *field = qobject_cast<const QLineEdit *>(widget)) {
            const int frame = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field) : 0;
            needs.setHeight(field->fontMetrics().height() + 2 * frame + field->textMargins().top() + field->textMargins().bottom());
        }
        if (needs.isValid() && (widget->width() < needs.width() || widget->height() < needs.height()))
            cuts << QStringLiteral("%1 is %2 but needs %3").arg(nameOf(widget), sizeText(widget->size()), sizeText(needs));
        QWidget *parent = widget->parentWidget();
        if (parent && !scrolls(parent) && !parent->rect().contains(widget->geometry()))
            cuts << QStringLiteral("%1 at %2,%3 %4 reaches out of %5 (%6)")
                        .arg(nameOf(widget))
                        .arg(widget->x())
                        .arg(widget->y())
                        .arg(sizeText(widget->size()), nameOf(parent), sizeText(parent->size()));
    }
    return cuts;
}

int paintedLineLength(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    const int middle = image.height() / 2;
    int painted = 0;
    for (int x = 0; x < image.width(); ++x)
        painted += image.pixel(x, middle) != image.pixel(x, 0);
    return qRound(painted / image.devicePixelRatio());
}
