#include "vantrel/cli/standard_output.h"

#include <QByteArray>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantrel::cli {
namespace {

// The reason the first write to standard output failed; 0 while none has.
std::atomic<int> standard_output_error{0};

void KeepStandardOutputError(int error_number) {
  int none = 0;
  standard_output_error.compare_exchange_strong(none, error_number != 0 ? error_number : EIO);
}

class StandardOutput : public QIODevice {
 public:
  StandardOutput() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    WriteStandardOutput(QByteArrayView(data, size));
    return size;  // a failure is said once, when the program ends
  }
};

}  // namespace

void WriteStandardOutput(QByteArrayView bytes) {
  errno = 0;
  const size_t size = static_cast<size_t>(bytes.size());
  if (std::fwrite(bytes.data(), 1, size, stdout) != size) KeepStandardOutputError(errno);
}

void FlushStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) != 0) KeepStandardOutputError(errno);
}

std::unique_ptr<QIODevice> StandardOutputDevice() { return std::make_unique<StandardOutput>(); }

bool FinishStandardOutput() {
  const bool failed_before = std::ferror(stdout) != 0;
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  int error_number = standard_output_error.load();
  if (error_number == 0 && !flushed) error_number = errno;
  // A descriptor closed before the program started is no lost output when nothing was written.
  if (std::fclose(stdout) != 0 && errno != EBADF && error_number == 0) error_number = errno;
  if (!failed_before && flushed && error_number == 0) return true;
  if (error_number != 0) {
    std::fprintf(stderr, "vantrel-cli: cannot write to standard output: %s\n",
                 std::strerror(error_number));
  } else {
    std::fprintf(stderr, "vantrel-cli: cannot write to standard output\n");
  }
  return false;
}

}  // namespace vantrel::cli
