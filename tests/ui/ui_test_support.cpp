#include "ui_test_support.h"

#include "theme.h"

#include <QApplication>
#include <QLocale>

namespace UiTest {

void useEnglishLook()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Theme::applyToApplication(*qApp);
}

} // namespace UiTest
