#include "phase/tarno_state.h"
