#include "d_list.h"
