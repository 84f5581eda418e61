#include "shell/StandardStreams.h"

// Windows starts a program with the standard handles it has or none at all, and a
// handle that is not there is never reused for another file: nothing to prepare.
void PrepareStandardStreams() {}
