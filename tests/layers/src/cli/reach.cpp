// A front end that reaches past the calculator.
#include "syntax/tokenizer.h"
