// Placeholder until this area is built: every entry raises.
#include "internal.h"

extern "C" {

bool DirExists(const char* Path) {
  ephem::detail::raiseArithmetic("DirExists is not available yet");
}

void CopyFile(const char* Source, const char* Dest) {
  ephem::detail::raiseArithmetic("CopyFile is not available yet");
}

}  // extern "C"
