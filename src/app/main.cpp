#include "fenmar_mac_app.h"
#include "main_view.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FenmarMacApp fenmar;
    const std::unique_ptr<MainView> window = fenmar.body();
    return app.exec();
}
