#include "test_home.h"
#include "util_db.h"

#include <QApplication>

int main(int argc, char **argv)
{
    TestHome::addAfterEachTest(&UtilDB::close);
    return TestHome::runAll<QApplication>(argc, argv);
}
