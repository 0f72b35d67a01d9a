#include "test_home.h"

#include <QApplication>

int main(int argc, char **argv)
{
    return TestHome::runAll<QApplication>(argc, argv);
}
