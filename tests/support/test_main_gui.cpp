#include "test_home.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    return TestHome::runAll<QGuiApplication>(argc, argv);
}
