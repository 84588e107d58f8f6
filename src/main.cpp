#include "ui/program.h"

int main(int argc, char** argv) {
    tq::ui::runProgram(argc, argv);
}
