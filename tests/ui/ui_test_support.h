#pragma once

namespace UiTest {

// English texts and the program's look, as a user of the English interface sees it.
void useEnglishLook();

} // namespace UiTest
