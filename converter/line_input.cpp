#include "line_input.h"
