#include "startup/Startup.h"

#include <QApplication>

namespace vantor {

int runWorkstation(QApplication& application)
{
    return application.exec();
}

} // namespace vantor
