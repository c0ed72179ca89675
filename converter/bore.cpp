#include "bore.h"
