#include "quench/quencher.h"
