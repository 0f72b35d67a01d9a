#include "test_home.h"
#include "util_db.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    TestHome::addAfterEachTest(&UtilDB::close);
    return TestHome::runAll<QGuiApplication>(argc, argv);
}
