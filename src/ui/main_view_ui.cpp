#include "main_view_ui.h"

#include "alert_toast.h"
#include "localization.h"

namespace {
// Not owned; the registered window clears it in its destructor.
MainViewUi *registeredMainView = nullptr;
} // namespace

MainViewUi::~MainViewUi()
{
    if (registeredMainView == this)
        registeredMainView = nullptr;
}

MainViewUi *MainViewUi::current()
{
    return registeredMainView;
}

void MainViewUi::setCurrent(MainViewUi *view)
{
    registeredMainView = view;
}

void MainViewUi::showToast(const QString &title)
{
    presentToast(AlertToast::notice(title));
}

void MainViewUi::showUpdateResult(bool isSucc)
{
    const QString key = isSucc ? LocalizedStringKey("Sys_Update_Succ").stringKey()
                               : LocalizedStringKey("Sys_Update_Failed").stringKey();
    presentToast(AlertToast::result(isSucc, localizedString(key)));
}
