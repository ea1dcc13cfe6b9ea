// Who may open the desktop reader's section and its done event. The shell runs as the signed-in
// user at medium integrity, also when Velmo was started elevated; an elevated process's objects get
// a default DACL that names only Administrators and SYSTEM, which the shell's filtered token cannot
// use. So the objects are open to authenticated users for reading and writing, and labelled medium,
// so that no process below medium integrity may write them.
#pragma once

#include <windows.h>

class SharedObjectSecurity {
 public:
  SharedObjectSecurity();
  SharedObjectSecurity(const SharedObjectSecurity&) = delete;
  SharedObjectSecurity& operator=(const SharedObjectSecurity&) = delete;
  ~SharedObjectSecurity();

  // For CreateFileMappingA and CreateEventA; null (the default security) when the descriptor
  // could not be made.
  SECURITY_ATTRIBUTES* Attributes() {
    return attributes_.lpSecurityDescriptor != nullptr ? &attributes_ : nullptr;
  }

 private:
  SECURITY_ATTRIBUTES attributes_ = {};
};
