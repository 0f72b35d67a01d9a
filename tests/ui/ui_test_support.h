#pragma once

#include <QString>

class QWidget;

namespace UiTest {

// English texts and the program's look, as a user of the English interface sees it.
void useEnglishLook();

// Saves widget's picture as <build>/screenshots/<name>.png and returns the file's path
// (FENMAR_SCREENSHOT_DIR overrides the folder). Empty when it cannot be written.
QString saveScreenshot(QWidget &widget, const QString &name);

} // namespace UiTest
