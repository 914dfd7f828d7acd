// Which Communicator profile was used last, from the browser's registry file.
#include "mopwell.h"
#include "text/bounded.h"

void CheckNSReg() {
  // Until the registry file is read, no profile is known.
  CurrentUser[0] = '\0';
  text::CopyCut(RegProfileDir, "\\");
}
