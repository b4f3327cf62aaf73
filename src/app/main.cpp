#include "app/modMain.h"

int main(int argc, char** argv) { return orbiplot::modMain::Main(argc, argv); }
