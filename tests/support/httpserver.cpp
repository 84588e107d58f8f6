#include "httpserver.h"
