/* main.cpp - the converter drelvo. */
#include "app/driver.h"

int main(int argc, char **argv)
{
    return drelvo_main(argc, argv);
}
