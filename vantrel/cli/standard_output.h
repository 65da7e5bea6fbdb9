// The command line's standard output, each write checked: a failed write or flush (a full
// disk, a closed pipe) is said once, when the program ends, and makes its exit status 2.
#ifndef VANTREL_VANTREL_CLI_STANDARD_OUTPUT_H_
#define VANTREL_VANTREL_CLI_STANDARD_OUTPUT_H_

#include <QByteArrayView>
#include <QIODevice>
#include <memory>

namespace vantrel::cli {

// Writes `bytes` to standard output, and flushes what is written; each keeps the reason of the
// first write that fails for FinishStandardOutput (a failed flush drops what it held, and with
// it the reason). Every command writes its output through these.
void WriteStandardOutput(QByteArrayView bytes);
void FlushStandardOutput();

// Standard output as a device whose writes go through WriteStandardOutput.
std::unique_ptr<QIODevice> StandardOutputDevice();

// Flushes and closes standard output. False, after one line on standard error, when any write to
// it failed (a full disk, a closed pipe, a closed descriptor that was written to).
bool FinishStandardOutput();

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_STANDARD_OUTPUT_H_
