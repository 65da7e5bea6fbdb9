#include "dataaccess/snapshot/snapshot_reader.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "dataaccess/errors.h"
#include "dataaccess/snapshot.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

using Json = nlohmann::json;

constexpr char kFormatMarker[] = "vantrel-snapshot";

struct Failure {
  int32_t number;
  QString what;
};

// The fields of a column, as bits of what was seen.
enum ColumnField : unsigned {
  kName = 1u << 0,
  kDeclaredType = 1u << 1,
  kDataType = 1u << 2,
  kSize = 1u << 3,
  kOrdinalPosition = 1u << 4,
  kRequired = 1u << 5,
  kAttributes = 1u << 6,
  kAllowZeroLength = 1u << 7,
  kAllColumnFields = (1u << 8) - 1,
};

struct FieldName {
  const char* text;
  unsigned bit;
};
constexpr FieldName kColumnFields[] = {
    {"name", kName},
    {"declared_type", kDeclaredType},
    {"data_type", kDataType},
    {"size", kSize},
    {"ordinal_position", kOrdinalPosition},
    {"required", kRequired},
    {"attributes", kAttributes},
    {"allow_zero_length", kAllowZeroLength},
};

// One scalar of the document, as the SAX events give it.
struct Scalar {
  enum Kind { kNull, kBoolean, kInteger, kOutOfRange, kFloat, kString } kind = kNull;
  int64_t integer = 0;
  bool boolean = false;
  const std::string* text = nullptr;
};

// Follows the SAX events of a snapshot and fills a catalog. Every unexpected event records one
// failure and stops the parse; fields it does not know are skipped, whatever they hold.
class SnapshotHandler final : public nlohmann::json_sax<Json> {
 public:
  SnapshotHandler(CatalogTables& tables, uint64_t file_size)
      : tables_(tables), file_size_(file_size) {}

  bool null() override { return OnScalar({Scalar::kNull}); }
  bool boolean(bool value) override { return OnScalar({Scalar::kBoolean, 0, value}); }
  bool number_integer(number_integer_t value) override {
    return OnScalar({Scalar::kInteger, value});
  }
  bool number_unsigned(number_unsigned_t value) override {
    if (value > static_cast<number_unsigned_t>(std::numeric_limits<int64_t>::max())) {
      return OnScalar({Scalar::kOutOfRange});
    }
    return OnScalar({Scalar::kInteger, static_cast<int64_t>(value)});
  }
  bool number_float(number_float_t, const string_t&) override { return OnScalar({Scalar::kFloat}); }
  bool string(string_t& value) override { return OnScalar({Scalar::kString, 0, false, &value}); }
  bool binary(binary_t&) override { return OnScalar({Scalar::kNull}); }

  bool start_object(std::size_t) override { return OnOpen(false); }
  bool start_array(std::size_t) override { return OnOpen(true); }
  bool end_object() override { return OnClose(); }
  bool end_array() override { return OnClose(); }

  bool key(string_t& name) override {
    if (skip_depth_ > 0) return true;
    key_ = name;
    return true;
  }

  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& error) override {
    // "[json.exception.parse_error.101] parse error at line 3, column 5: syntax error ..."
    std::string text = error.what();
    const size_t at = text.find("parse error at ");
    if (at != std::string::npos) text = text.substr(at + 15);
    const size_t colon = text.find(": ");
    const QString place = QString::fromStdString(text.substr(0, colon));
    // Cut off inside a token, the parser complains about the token; the position tells.
    if (position >= file_size_ || text.find("unexpected end of input") != std::string::npos) {
      return Fail(kDatabaseDamaged,
                  QStringLiteral("the file ends too early, as if truncated (%1)").arg(place));
    }
    return Fail(
        kDatabaseDamaged,
        QStringLiteral("the file is not well-formed JSON (%1)").arg(QString::fromStdString(text)));
  }

  // What the document lacked once it ended; the failure of the parse, if any, first.
  std::optional<Failure> Outcome() const {
    if (failure_) return failure_;
    if (!marker_seen_) return Foreign();
    if (!version_) return Failure{kDatabaseDamaged, QStringLiteral("\"version\" is missing")};
    if (database_.isNull()) {
      return Failure{kDatabaseDamaged, QStringLiteral("\"database\" is missing")};
    }
    if (!tables_seen_) return Failure{kDatabaseDamaged, QStringLiteral("\"tables\" is missing")};
    return std::nullopt;
  }

  const QString& database() const { return database_; }
  const QString& engine() const { return engine_; }

 private:
  enum class Level { kDocument, kRoot, kTables, kTable, kColumns, kColumn };

  static Failure Foreign() {
    return {kNotADatabase, QStringLiteral("is not a Vantrel snapshot: it lacks \"format\": \"%1\"")
                               .arg(QLatin1String(kFormatMarker))};
  }

  bool Fail(int32_t number, const QString& what) {
    if (failure_) return false;
    // Before the marker, nothing says the document was meant to be a snapshot at all.
    failure_ = marker_seen_ || number == kSnapshotTooNew ? Failure{number, what} : Foreign();
    return false;
  }

  // "table 13 ("orders"), column 4: "size"": where the current key is, in words.
  QString Place() const {
    QString place;
    if (level_ == Level::kTable || level_ == Level::kColumns || level_ == Level::kColumn) {
      place = QStringLiteral("table %1").arg(table_count_);
      if (!table_name_.isNull()) place += QStringLiteral(" (\"%1\")").arg(table_name_);
      place += QStringLiteral(", ");
    }
    if (level_ == Level::kColumn) {
      place += QStringLiteral("column %1").arg(columns_.size() + 1);
      if (column_seen_ & kName) place += QStringLiteral(" (\"%1\")").arg(column_.name);
      place += QStringLiteral(", ");
    }
    return place + QStringLiteral("\"%1\"").arg(QString::fromStdString(key_));
  }

  bool WrongType(const char* expected) {
    return Fail(kDatabaseDamaged, QStringLiteral("%1 should be %2").arg(Place(), expected));
  }

  bool OnOpen(bool array) {
    if (skip_depth_ > 0) {
      ++skip_depth_;
      return true;
    }
    switch (level_) {
      case Level::kDocument:
        if (array) return Fail(kNotADatabase, QString());
        level_ = Level::kRoot;
        return true;
      case Level::kRoot:
        if (key_ == "format") return Fail(kNotADatabase, QString());
        if (key_ == "version") return WrongType("a whole number");
        if (key_ == "database" || key_ == "engine") return WrongType("a text");
        if (key_ != "tables") break;
        if (!array) return WrongType("an array of tables");
        if (tables_seen_)
          return Fail(kDatabaseDamaged, QStringLiteral("\"tables\" is given twice"));
        tables_seen_ = true;
        level_ = Level::kTables;
        return true;
      case Level::kTables:
        if (array)
          return Fail(kDatabaseDamaged,
                      QStringLiteral("table %1 should be an object").arg(table_count_ + 1));
        ++table_count_;
        table_name_ = QString();
        table_is_view_ = false;
        columns_.clear();
        columns_seen_ = false;
        key_.clear();
        level_ = Level::kTable;
        return true;
      case Level::kTable:
        if (key_ == "name") return WrongType("a text");
        if (key_ == "view") return WrongType("true or false");
        if (key_ != "columns") break;
        if (!array) return WrongType("an array of columns");
        if (columns_seen_)
          return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
        columns_seen_ = true;
        level_ = Level::kColumns;
        return true;
      case Level::kColumns:
        if (array) {
          key_ = "columns";
          return WrongType("an array of column objects");
        }
        column_ = ColumnDefinition();
        column_seen_ = 0;
        key_.clear();
        level_ = Level::kColumn;
        return true;
      case Level::kColumn:
        if (ColumnBit() != 0) return WrongType(ExpectedFor(ColumnBit()));
        break;
    }
    skip_depth_ = 1;  // a field this reader does not know
    return true;
  }

  bool OnClose() {
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    switch (level_) {
      case Level::kDocument:
      case Level::kRoot:
        level_ = Level::kDocument;
        return true;
      case Level::kTables:
        level_ = Level::kRoot;
        key_.clear();
        return true;
      case Level::kTable:
        return FinishTable();
      case Level::kColumns:
        level_ = Level::kTable;
        key_ = "columns";
        return true;
      case Level::kColumn:
        return FinishColumn();
    }
    return true;
  }

  bool FinishColumn() {
    for (const FieldName& field : kColumnFields) {
      if ((column_seen_ & field.bit) == 0) {
        key_ = field.text;
        return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
      }
    }
    columns_.push_back(std::move(column_));
    level_ = Level::kColumns;
    return true;
  }

  bool FinishTable() {
    if (table_name_.isNull()) {
      key_ = "name";
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
    }
    if (!columns_seen_) {
      key_ = "columns";
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
    }
    if (tables_.Contains(table_name_)) {
      return Fail(
          kDatabaseDamaged,
          QStringLiteral("table %1 (\"%2\") is listed twice").arg(table_count_).arg(table_name_));
    }
    CatalogColumns& columns = tables_.AddTable(table_name_, table_is_view_).MutableColumns();
    for (ColumnDefinition& column : columns_) columns.Add(std::move(column));
    columns_.clear();
    level_ = Level::kTables;
    return true;
  }

  unsigned ColumnBit() const {
    for (const FieldName& field : kColumnFields) {
      if (key_ == field.text) return field.bit;
    }
    return 0;
  }

  static const char* ExpectedFor(unsigned bit) {
    if (bit == kName || bit == kDeclaredType) return "a text";
    if (bit == kRequired || bit == kAllowZeroLength) return "true or false";
    return "a whole number";
  }

  // The integer of `value` when it fits in [low, high]; records the failure otherwise.
  std::optional<int64_t> Whole(const Scalar& value, int64_t low, int64_t high) {
    if (value.kind != Scalar::kInteger && value.kind != Scalar::kOutOfRange) {
      WrongType("a whole number");
      return std::nullopt;
    }
    if (value.kind == Scalar::kOutOfRange || value.integer < low || value.integer > high) {
      Fail(kDatabaseDamaged,
           QStringLiteral("%1 is out of range (%2 to %3)").arg(Place()).arg(low).arg(high));
      return std::nullopt;
    }
    return value.integer;
  }

  std::optional<QString> Text(const Scalar& value) {
    if (value.kind != Scalar::kString) {
      WrongType("a text");
      return std::nullopt;
    }
    return QString::fromUtf8(value.text->data(), static_cast<qsizetype>(value.text->size()));
  }

  std::optional<bool> Flag(const Scalar& value) {
    if (value.kind != Scalar::kBoolean) {
      WrongType("true or false");
      return std::nullopt;
    }
    return value.boolean;
  }

  bool OnScalar(const Scalar& value) {
    if (skip_depth_ > 0) return true;
    switch (level_) {
      case Level::kDocument:
        return Fail(kNotADatabase, QString());
      case Level::kRoot:
        return OnRootScalar(value);
      case Level::kTables:
        return Fail(kDatabaseDamaged,
                    QStringLiteral("table %1 should be an object").arg(table_count_ + 1));
      case Level::kTable:
        if (key_ == "name") {
          if (auto name = Text(value)) table_name_ = *name;
          return !failure_;
        }
        if (key_ == "view") {
          if (auto flag = Flag(value)) table_is_view_ = *flag;
          return !failure_;
        }
        if (key_ == "columns") return WrongType("an array of columns");
        return true;
      case Level::kColumns:
        key_ = "columns";
        return WrongType("an array of column objects");
      case Level::kColumn:
        return OnColumnScalar(value);
    }
    return true;
  }

  bool OnRootScalar(const Scalar& value) {
    if (key_ == "format") {
      if (value.kind != Scalar::kString || *value.text != kFormatMarker) {
        return Fail(kNotADatabase, QString());
      }
      marker_seen_ = true;
    } else if (key_ == "version") {
      if (value.kind == Scalar::kInteger && value.integer > kSnapshotFormatVersion) {
        return Fail(kSnapshotTooNew,
                    QStringLiteral("is a snapshot of format version %1, which this build of "
                                   "Vantrel cannot read (it reads version %2 and older); open it "
                                   "with the newer Vantrel that wrote it")
                        .arg(value.integer)
                        .arg(kSnapshotFormatVersion));
      }
      if (const auto version = Whole(value, 1, kSnapshotFormatVersion)) version_ = *version;
    } else if (key_ == "database") {
      if (auto name = Text(value)) database_ = *name;
    } else if (key_ == "engine") {
      if (auto name = Text(value)) engine_ = *name;
    } else if (key_ == "tables") {
      return WrongType("an array of tables");
    }
    return !failure_;
  }

  bool OnColumnScalar(const Scalar& value) {
    const unsigned bit = ColumnBit();
    if (bit == 0) return true;
    if (column_seen_ & bit)
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
    column_seen_ |= bit;
    constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
    constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
    switch (bit) {
      case kName:
        if (auto name = Text(value)) column_.name = *name;
        break;
      case kDeclaredType:
        if (auto spelling = Text(value)) column_.declared_type = *spelling;
        break;
      case kDataType:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.data_type = int32_t(*n);
        break;
      case kSize:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.size = int32_t(*n);
        break;
      case kAttributes:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.attributes = int32_t(*n);
        break;
      case kOrdinalPosition:
        if (auto n = Whole(value, std::numeric_limits<int16_t>::min(),
                           std::numeric_limits<int16_t>::max())) {
          column_.ordinal_position = int16_t(*n);
        }
        break;
      case kRequired:
        if (auto flag = Flag(value)) column_.required = *flag;
        break;
      case kAllowZeroLength:
        if (auto flag = Flag(value)) column_.type.allow_zero_length = *flag;
        break;
    }
    return !failure_;
  }

  CatalogTables& tables_;
  uint64_t file_size_;
  Level level_ = Level::kDocument;
  int skip_depth_ = 0;
  std::string key_;
  bool marker_seen_ = false;
  bool tables_seen_ = false;
  std::optional<int64_t> version_;
  QString database_;
  QString engine_;
  int table_count_ = 0;
  QString table_name_;
  bool table_is_view_ = false;
  bool columns_seen_ = false;
  std::vector<ColumnDefinition> columns_;
  ColumnDefinition column_;
  unsigned column_seen_ = 0;
  std::optional<Failure> failure_;
};

[[noreturn]] void ThrowFileError(const QString& path) {
  if (errno == ENOENT || errno == ENOTDIR) {
    throw component::Error(component::kFileNotFound, ErrorSource(),
                           QStringLiteral("File not found: '%1'").arg(path));
  }
  throw component::Error(
      component::kPathFileAccessError, ErrorSource(),
      QStringLiteral("Cannot read '%1': %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
}

}  // namespace

bool LooksLikeJson(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat facts {};
  if (::stat(name.constData(), &facts) != 0 || !S_ISREG(facts.st_mode)) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QByteArray start = file.read(4096);
  if (start.startsWith("\xEF\xBB\xBF")) start.remove(0, 3);
  for (const char c : start) {
    if (c == '{' || c == '[') return true;
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return false;
}

std::unique_ptr<CatalogConnection> ReadSnapshot(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat facts {};
  if (::stat(name.constData(), &facts) != 0) ThrowFileError(path);
  if (!S_ISREG(facts.st_mode)) {
    throw component::Error(kNotADatabase, ErrorSource(),
                           QStringLiteral("'%1' is not a file, so not a snapshot").arg(path));
  }
  std::ifstream in;
  std::vector<char> buffer(1 << 20);
  in.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  in.open(name.toStdString(), std::ios::binary);
  if (!in) ThrowFileError(path);

  auto connection =
      std::make_unique<CatalogConnection>(QStringLiteral("snapshot:") + path, QString());
  SnapshotHandler handler(connection->MutableTables(), static_cast<uint64_t>(facts.st_size));
  Json::sax_parse(in, &handler);
  if (in.bad()) ThrowFileError(path);
  if (const auto failure = handler.Outcome()) {
    const QString damaged =
        failure->number == kDatabaseDamaged ? QStringLiteral("is a damaged snapshot: ") : QString();
    throw component::Error(failure->number, ErrorSource(),
                           QStringLiteral("'%1' %2%3").arg(path, damaged, failure->what));
  }
  connection->SetDatabaseName(handler.database());
  connection->SetEngine(handler.engine());
  return connection;
}

}  // namespace dataaccess
