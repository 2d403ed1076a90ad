// Whether questions can be asked: standard input is a terminal.
#include <unistd.h>

#include "cli/cli_context.h"

namespace vorlin {

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace vorlin
