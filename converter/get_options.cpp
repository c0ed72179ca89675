#include "get_options.h"
