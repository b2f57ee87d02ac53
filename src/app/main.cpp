#include "shell/application.h"

int main(int argc, char** argv) {
    return kestrave::runApplication(argc, argv);
}
