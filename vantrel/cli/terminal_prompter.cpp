#include "vantrel/cli/terminal_prompter.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string>

namespace vantrel::cli {
namespace {

// What a fatal signal's handler needs to give the terminal its echo back. Only one prompt runs
// at a time (the library asks on the thread that opens).
constexpr std::array<int, 4> kFatalSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
volatile sig_atomic_t g_echo_off_fd = -1;
termios g_saved_terminal{};
std::array<struct sigaction, kFatalSignals.size()> g_previous_actions{};

void RestoreTerminalAndDie(int signal_number) {
  if (g_echo_off_fd >= 0) tcsetattr(g_echo_off_fd, TCSANOW, &g_saved_terminal);
  for (size_t i = 0; i < kFatalSignals.size(); ++i) {
    if (kFatalSignals[i] == signal_number) {
      sigaction(signal_number, &g_previous_actions[i], nullptr);
    }
  }
  // Delivered with the earlier disposition once this handler returns.
  raise(signal_number);
}

// Echo off on `fd` for the object's lifetime.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &g_saved_terminal) != 0) return;
    g_echo_off_fd = fd_;
    struct sigaction action {};
    action.sa_handler = RestoreTerminalAndDie;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kFatalSignals.size(); ++i) {
      sigaction(kFatalSignals[i], &action, &g_previous_actions[i]);
    }
    armed_ = true;
    termios quiet = g_saved_terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    echo_off_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (!armed_) return;
    if (echo_off_) tcsetattr(fd_, TCSANOW, &g_saved_terminal);
    for (size_t i = 0; i < kFatalSignals.size(); ++i) {
      sigaction(kFatalSignals[i], &g_previous_actions[i], nullptr);
    }
    g_echo_off_fd = -1;
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  int fd_;
  bool armed_ = false;     // the signal handlers are installed
  bool echo_off_ = false;  // the terminal's settings were changed
};

// Where the prompt goes: the controlling terminal, or standard error without one.
class PromptOutput {
 public:
  PromptOutput() : tty_(open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC)) {}
  ~PromptOutput() {
    if (tty_ >= 0) close(tty_);
  }
  PromptOutput(const PromptOutput&) = delete;
  PromptOutput& operator=(const PromptOutput&) = delete;

  void Write(const QByteArray& text) const {
    const int fd = tty_ >= 0 ? tty_ : STDERR_FILENO;
    qsizetype written = 0;
    while (written < text.size()) {
      const ssize_t n = write(fd, text.constData() + written, text.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      written += n;
    }
  }

 private:
  int tty_;
};

// One line of standard input without its line end; nullopt at an end of file or an error
// before the line ends.
std::optional<std::string> ReadLine() {
  std::string line;
  for (;;) {
    char c = 0;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    if (c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::optional<dataaccess::ConnectionChoice> TerminalPrompter::ChooseConnection() {
  return std::nullopt;
}

std::optional<QString> TerminalPrompter::AskPassword(const dataaccess::PasswordRequest& request) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  const PromptOutput output;
  if (request.retry) output.Write("The server refused the password.\n");
  std::optional<std::string> line;
  {
    // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
    const EchoOff echo_off(STDIN_FILENO);
    output.Write(PasswordPromptText(request).toLocal8Bit());
    line = ReadLine();
  }
  output.Write("\n");
  if (!line) return std::nullopt;
  return QString::fromLocal8Bit(line->data(), static_cast<qsizetype>(line->size()));
}

QString PasswordPromptText(const dataaccess::PasswordRequest& request) {
  QString where = request.user;
  if (!request.host.isEmpty()) {
    if (!where.isEmpty()) where += u'@';
    where += request.host;
    if (request.port != 0) where += u':' + QString::number(request.port);
  }
  if (!request.database.isEmpty()) where += u'/' + request.database;
  QString text = QStringLiteral("Password");
  if (!where.isEmpty()) text += QStringLiteral(" for ") + where;
  if (!request.engine.isEmpty()) text += QStringLiteral(" (%1)").arg(request.engine);
  return text + QStringLiteral(": ");
}

}  // namespace vantrel::cli
