// The name of one program; compiled into each program with GCD_KIT_PROGRAM_NAME set.
#include "platform/program_name.h"

#ifndef GCD_KIT_PROGRAM_NAME
#error "GCD_KIT_PROGRAM_NAME must name the program this file is compiled into"
#endif

const char program_name[] = GCD_KIT_PROGRAM_NAME;
