// A header that reaches upwards: the layering check must refuse it.
#include "core/calculator.h"
