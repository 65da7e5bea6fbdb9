// Profile (INI) files of any content, written and read one key at a time. The input is a section,
// a key and a value to write, another section and key, and then the file's bytes. Properties:
//   - a write that succeeds is read back exactly, and changes no other key;
//   - a write that fails leaves the file as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <QFile>
#include <QString>

#include "fuzz/fuzz_check.h"
#include "platform/desktop_api/profile_file.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names as a profile file compares them.
bool SameName(const QString& left, const QString& right) {
  return left.trimmed().compare(right.trimmed(), Qt::CaseInsensitive) == 0;
}

// The value of a key, or `missing` when there is none; read through a buffer that just holds
// the longest value looked for.
QString Read(const QString& section, const QString& key, const QString& missing,
             const QString& path) {
  return desktop_api::GetPrivateProfileString(section, key, missing,
                                              static_cast<int>(missing.size()) + 1, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const QString section = QString::fromStdString(input.ConsumeRandomLengthString(64));
  const QString key = QString::fromStdString(input.ConsumeRandomLengthString(64));
  const QString value = QString::fromStdString(input.ConsumeRandomLengthString(256));
  const QString other_section = QString::fromStdString(input.ConsumeRandomLengthString(64));
  const QString other_key = QString::fromStdString(input.ConsumeRandomLengthString(64));
  const std::string file_bytes = input.ConsumeRemainingBytesAsString();

  const QString path = fuzz::ScratchFolder() + QStringLiteral("/settings.ini");
  {
    QFile file(path);
    fuzz::Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(file_bytes.data(), static_cast<qint64>(file_bytes.size())) ==
                          static_cast<qint64>(file_bytes.size()),
                  "the scratch file can be written", file.errorString());
  }
  const QByteArray before = ReadAll(path);
  // Longer than any value the file can hold, so that it cannot be mistaken for one.
  const QString missing = QString(4096, u'#') + u'!';
  const QString other_before = Read(other_section, other_key, missing, path);

  const bool written = desktop_api::WritePrivateProfileString(section, key, value, path);
  const QString detail = section + QStringLiteral(" / ") + key + QStringLiteral(" = ") + value +
                         QStringLiteral("\nin: ") + QString::fromUtf8(before);
  if (!written) {
    fuzz::Require(ReadAll(path) == before, "a failed write leaves the file as it was", detail);
    return 0;
  }
  fuzz::Require(Read(section, key, missing, path) == value, "a written value is read back",
                detail + QStringLiteral("\nout: ") + QString::fromUtf8(ReadAll(path)));
  const QString other_after = Read(other_section, other_key, missing, path);
  if (SameName(section, other_section) && SameName(key, other_key)) {
    fuzz::Require(other_after == value, "a key written is a key read", detail);
  } else {
    fuzz::Require(other_after == other_before, "a write changes no other key",
                  detail + QStringLiteral("\nkey: ") + other_section + QStringLiteral(" / ") +
                      other_key + QStringLiteral("\nwas: ") + other_before +
                      QStringLiteral("\nnow: ") + other_after + QStringLiteral("\nout: ") +
                      QString::fromUtf8(ReadAll(path)));
  }
  return 0;
}
