#include "platform/desktop_api/beep.h"

#include <fcntl.h>
#include <unistd.h>

namespace desktop_api {

void Beep() {
  const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (terminal < 0) return;
  const char bell = '\a';
  [[maybe_unused]] const ssize_t written = write(terminal, &bell, 1);
  close(terminal);
}

}  // namespace desktop_api
