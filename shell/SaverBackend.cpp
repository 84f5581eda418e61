#include "shell/SaverBackend.h"

unsigned NextScreenGeneration() {
    static unsigned last = 0;
    return ++last;
}
