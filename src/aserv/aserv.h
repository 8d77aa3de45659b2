// The arithmetic procedures on number texts, one per operation.
#pragma once

#include "int_add_sub.h"       // IWYU pragma: export
#include "int_comp.h"          // IWYU pragma: export
#include "int_div.h"           // IWYU pragma: export
#include "int_mult.h"          // IWYU pragma: export
#include "real_add_sub.h"      // IWYU pragma: export
#include "real_mult.h"         // IWYU pragma: export
#include "text/aserv_error.h"  // IWYU pragma: export
#include "text/no_spaces.h"    // IWYU pragma: export
#include "text/text.h"         // IWYU pragma: export
