#include "util_db.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::printf("Welcome, Fenmar\n");
    std::fflush(stdout);
    UtilDB::open();
    return 0;
}
