// Exported entry points of BREGEXP.DLL; names are exported undecorated through bregexp.def.
#include "bregexp_api.h"

extern "C" {

int BMatch(char* expression, char* subject_start, char* subject_end, void** compiled, char* message) {
  return bregexp::MatchExpression(expression, subject_start, subject_end, compiled, message);
}

void BRegfree(void* compiled) { bregexp::Free(compiled); }

}
