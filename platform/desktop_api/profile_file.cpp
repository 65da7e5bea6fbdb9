#include "platform/desktop_api/profile_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <optional>

namespace desktop_api {
namespace {

// The lines of a profile file; an absent file has none.
struct ProfileLines {
  QStringList lines;
  bool unreadable = false;
  bool byte_order_mark = false;  // the file starts with one, and a write keeps it
};

ProfileLines ReadLines(const QString& file_name) {
  ProfileLines result;
  const QFileInfo info(file_name);
  if (!info.exists()) return result;
  QFile file(file_name);
  if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
    result.unreadable = true;
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError || bytes.contains('\0')) {
    result.unreadable = true;
    return result;
  }
  // The decoder leaves a byte order mark in the text, so that exactly one is taken off here and
  // put back by a write: a file that starts with several would otherwise lose one at every write,
  // and the line behind them could turn into a section.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
  QString text = decoder.decode(bytes);
  if (decoder.hasError()) {
    result.unreadable = true;
    return result;
  }
  result.byte_order_mark = text.startsWith(QChar(0xFEFF));
  if (result.byte_order_mark) text.remove(0, 1);
  result.lines = text.split(u'\n');
  if (!result.lines.isEmpty() && result.lines.last().isEmpty()) result.lines.removeLast();
  // Every CR at the end of a line belongs to its line end. Were one of "\r\r\n" kept in the
  // line, the next write (which ends lines with "\n") would drop it from the key's value.
  for (QString& line : result.lines) {
    while (line.endsWith(u'\r')) line.chop(1);
  }
  return result;
}

bool SameName(const QString& left, const QString& right) {
  return left.trimmed().compare(right.trimmed(), Qt::CaseInsensitive) == 0;
}

// The name of the section that `line` opens, if it opens one.
std::optional<QString> SectionName(const QString& line) {
  const QString text = line.trimmed();
  if (!text.startsWith(u'[')) return std::nullopt;
  const qsizetype close = text.indexOf(u']');
  if (close < 0) return std::nullopt;
  return text.mid(1, close - 1);
}

// True when `line` is a key line of `key`; sets `value` to what follows the first '='.
bool IsKeyLine(const QString& line, const QString& key, QString* value) {
  if (line.trimmed().startsWith(u';')) return false;
  const qsizetype equals = line.indexOf(u'=');
  if (equals < 0 || !SameName(line.left(equals), key)) return false;
  if (value != nullptr) *value = line.mid(equals + 1);
  return true;
}

// The range [first, end) of lines inside the first section called `section`; first is -1 when
// there is none.
struct SectionRange {
  qsizetype first = -1;
  qsizetype end = -1;
};

SectionRange FindSection(const QStringList& lines, const QString& section) {
  SectionRange range;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const std::optional<QString> name = SectionName(lines[i]);
    if (!name) continue;
    if (range.first >= 0) {
      range.end = i;
      return range;
    }
    if (SameName(*name, section)) range.first = i + 1;
  }
  if (range.first >= 0) range.end = lines.size();
  return range;
}

QString CutToBuffer(const QString& text, int buffer_size) {
  if (buffer_size < 1) return QString();
  QString cut = text.left(buffer_size - 1);
  // Don't leave half of a character that takes two UTF-16 units.
  if (cut.size() < text.size() && !cut.isEmpty() && cut.back().isHighSurrogate()) cut.chop(1);
  return cut;
}

bool StorableInOneLine(const QString& section, const QString& key, const QString& value) {
  // A NUL would make the whole file unreadable (it is then no text, see ReadLines).
  const auto has_break = [](const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
  };
  if (has_break(section) || has_break(key) || has_break(value)) return false;
  const QString section_name = section.trimmed();
  const QString key_name = key.trimmed();
  if (section_name.isEmpty() || section_name.contains(u']')) return false;
  if (key_name.isEmpty() || key_name.contains(u'=')) return false;
  return !key_name.startsWith(u'[') && !key_name.startsWith(u';');
}

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& default_value, int buffer_size,
                                const QString& file_name) noexcept {
  const ProfileLines file = ReadLines(file_name);
  const SectionRange range = FindSection(file.lines, section);
  if (!file.unreadable && range.first >= 0) {
    QString value;
    for (qsizetype i = range.first; i < range.end; ++i) {
      if (IsKeyLine(file.lines[i], key, &value)) return CutToBuffer(value, buffer_size);
    }
  }
  return CutToBuffer(default_value, buffer_size);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file_name) noexcept {
  if (!StorableInOneLine(section, key, value)) return false;
  ProfileLines file = ReadLines(file_name);
  if (file.unreadable) return false;

  const QString key_line = key.trimmed() + u'=' + value;
  const SectionRange range = FindSection(file.lines, section);
  if (range.first < 0) {
    if (!file.lines.isEmpty() && !file.lines.last().trimmed().isEmpty())
      file.lines.append(QString());
    file.lines.append(u'[' + section.trimmed() + u']');
    file.lines.append(key_line);
  } else {
    qsizetype insert_at = range.first;
    bool replaced = false;
    for (qsizetype i = range.first; i < range.end && !replaced; ++i) {
      if (IsKeyLine(file.lines[i], key, nullptr)) {
        file.lines[i] = key_line;
        replaced = true;
      } else if (!file.lines[i].trimmed().isEmpty()) {
        insert_at = i + 1;
      }
    }
    if (!replaced) file.lines.insert(insert_at, key_line);
  }

  QSaveFile out(file_name);
  if (!out.open(QIODevice::WriteOnly)) return false;
  const QString mark = file.byte_order_mark ? QString(QChar(0xFEFF)) : QString();
  const QByteArray bytes = (mark + file.lines.join(u'\n') + u'\n').toUtf8();
  if (out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return false;
  }
  return out.commit();
}

}  // namespace desktop_api
