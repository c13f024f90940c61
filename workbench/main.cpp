#include <QApplication>

#include "Program.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kvworkbench");
    return runWorkbench(QApplication::arguments());
}
