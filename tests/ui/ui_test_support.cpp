#include "ui_test_support.h"

#include "theme.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QWidget>

namespace UiTest {

void useEnglishLook()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Theme::applyToApplication(*qApp);
}

QString saveScreenshot(QWidget &widget, const QString &name)
{
    QString folder = qEnvironmentVariable("FENMAR_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    if (!QDir().mkpath(folder))
        return {};
    const QString path = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return widget.grab().save(path) ? path : QString();
}

} // namespace UiTest
