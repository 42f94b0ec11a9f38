#include "dlvapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return dlv::RunDalvane(app);
}
