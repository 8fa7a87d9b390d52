// Including a lower folder is fine.
#include "eval/node.h"
