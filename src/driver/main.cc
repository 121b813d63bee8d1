#include "driver/run.h"

int main(int argc, char** argv) { return kov::runKovxmlmerge(argc, argv); }
