#!/bin/sh
# The strip that packaging runs on each installed program (cmake --install --strip):
# as Debian's packaging strips, also without the compiler's .comment and .note sections.
exec strip --remove-section=.comment --remove-section=.note "$@"
