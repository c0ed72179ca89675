#include "gerber.h"
