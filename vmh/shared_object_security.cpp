#include "vmh/shared_object_security.h"

#include <sddl.h>

// SYSTEM and Administrators may do anything, authenticated users read and write; medium integrity,
// no write from below.
constexpr char SHARED_OBJECT_SDDL[] = "D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GRGW;;;AU)S:(ML;;NW;;;ME)";

SharedObjectSecurity::SharedObjectSecurity() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(SHARED_OBJECT_SDDL, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return;
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor;
  attributes_.bInheritHandle = FALSE;
}

SharedObjectSecurity::~SharedObjectSecurity() {
  if (attributes_.lpSecurityDescriptor != nullptr) LocalFree(attributes_.lpSecurityDescriptor);
}
