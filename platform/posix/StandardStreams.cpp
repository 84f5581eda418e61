#include "shell/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

void PrepareStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            // open gives the lowest free number: this one.
            const int standIn = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (standIn != fd && standIn >= 0) {
                close(standIn);
            }
        }
    }
    std::signal(SIGXFSZ, SIG_IGN);
}
