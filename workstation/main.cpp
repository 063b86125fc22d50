#include "startup/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    return vantor::runWorkstation(application);
}
