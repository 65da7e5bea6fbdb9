#include "vantrel/cli/terminal_prompter.h"

#include <fcntl.h>
#include <string.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <vector>

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

// The bytes of a typed password, wiped whenever they move and when they go.
class WipedBuffer {
 public:
  WipedBuffer() { bytes_.reserve(256); }
  ~WipedBuffer() { Wipe(); }
  WipedBuffer(const WipedBuffer&) = delete;
  WipedBuffer& operator=(const WipedBuffer&) = delete;

  void Append(char c) {
    if (bytes_.size() == bytes_.capacity()) {
      // Grown by hand, so that the old storage is wiped before it is freed.
      std::vector<char> larger;
      larger.reserve(bytes_.capacity() * 2);
      larger.assign(bytes_.begin(), bytes_.end());
      Wipe();
      bytes_.swap(larger);
    }
    bytes_.push_back(c);
  }
  void DropLast() {
    explicit_bzero(&bytes_.back(), 1);
    bytes_.pop_back();
  }
  bool empty() const { return bytes_.empty(); }
  char back() const { return bytes_.back(); }
  const char* data() const { return bytes_.data(); }
  qsizetype size() const { return static_cast<qsizetype>(bytes_.size()); }

 private:
  void Wipe() {
    if (bytes_.capacity() > 0) explicit_bzero(bytes_.data(), bytes_.capacity());
  }
  std::vector<char> bytes_;
};

// One line of standard input into `line`, without its line end; false at an end of file or an
// error before the line ends.
bool ReadLine(WipedBuffer* line) {
  for (;;) {
    char c = 0;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (c == '\n') break;
    line->Append(c);
    explicit_bzero(&c, sizeof c);
  }
  if (!line->empty() && line->back() == '\r') line->DropLast();
  return true;
}

}  // namespace

std::optional<dataaccess::ConnectionChoice> TerminalPrompter::ChooseConnection() {
  return std::nullopt;
}

std::optional<QString> TerminalPrompter::AskPassword(const dataaccess::PasswordRequest& request) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  const PromptOutput output;
  if (request.retry) output.Write("The server refused the password.\n");
  // Whatever is typed may be a password, and copies of it outlive this function where nothing
  // here can wipe them: in the returned text, the client library's connection (libpq keeps its
  // own until the connection ends) and freed memory. So from the first prompt on, the process
  // can no longer be dumped, for the rest of its life.
  prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  WipedBuffer line;
  bool read = false;
  {
    // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
    const EchoOff echo_off(STDIN_FILENO);
    output.Write(PasswordPromptText(request).toLocal8Bit());
    read = ReadLine(&line);
  }
  output.Write("\n");
  if (!read) return std::nullopt;
  return QString::fromLocal8Bit(line.data(), line.size());
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
