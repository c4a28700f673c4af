// A codec header reaching up into conversion/: check-includes must refuse it.
#pragma once
#include "conversion/runstate.h"
