#include "main.h"
int main() { return 0; }
