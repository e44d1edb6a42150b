#include "driver.h"

int main(int argc, char** argv)
{
    return gui::run_driver(argc, argv);
}
