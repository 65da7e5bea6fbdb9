#include "dataaccess/catalog/name_bytes.h"

#include <QDir>

namespace dataaccess {
namespace {

constexpr char16_t kEscapedByte = 0xDC00;

// The length of the valid UTF-8 sequence that starts at `i`, or 0.
qsizetype ValidSequenceAt(QByteArrayView bytes, qsizetype i) {
  const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  qsizetype length = 0;
  char32_t minimum = 0;
  char32_t code = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  for (qsizetype k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

QString NameFromBytes(QByteArrayView bytes) {
  if (bytes.isValidUtf8()) return QString::fromUtf8(bytes);
  QString name;
  qsizetype i = 0;
  while (i < bytes.size()) {
    const qsizetype length = ValidSequenceAt(bytes, i);
    if (length == 0) {
      name += QChar(kEscapedByte | static_cast<unsigned char>(bytes[i]));
      ++i;
    } else {
      name += QString::fromUtf8(bytes.sliced(i, length));
      i += length;
    }
  }
  return name;
}

QByteArray NameToBytes(const QString& name) {
  QByteArray bytes;
  qsizetype run_start = 0;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name.at(i).unicode();
    const bool paired_low = c >= 0xDC00 && c <= 0xDFFF && i > 0 && name.at(i - 1).isHighSurrogate();
    if (c >= 0xDC80 && c <= 0xDCFF && !paired_low) {
      bytes += name.mid(run_start, i - run_start).toUtf8();
      bytes += static_cast<char>(c & 0xFF);
      run_start = i + 1;
    }
  }
  bytes += name.mid(run_start).toUtf8();
  return bytes;
}

QString AbsoluteFileName(const QString& path) {
  return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path);
}

}  // namespace dataaccess
