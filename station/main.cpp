#include "cli/Program.h"

int main(int argc, char** argv) {
    return station::runProgram(argc, argv);
}
