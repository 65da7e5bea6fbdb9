#include "dataaccess/column_rules.h"

#include <QRegularExpression>
#include <QStringList>
#include <limits>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/object_rules.h"

namespace dataaccess {
namespace {

bool IsNumericKind(int32_t data_type) {
  return data_type == kInteger || data_type == kDecimal || data_type == kFloat ||
         data_type == kMoney || data_type == kYear;
}

bool IsTimeKind(int32_t data_type) {
  return data_type == kTime || data_type == kTimeTz || data_type == kTimestamp ||
         data_type == kTimestampTz;
}

// A number in one spelling: no sign for zero, no leading zeros, no trailing fractional zeros
// (1.50 and 01.5 are 1.5). Exponents and hexadecimal are kept as written.
QString CanonicalNumber(QString number) {
  bool negative = false;
  if (number.startsWith(u'-') || number.startsWith(u'+')) {
    negative = number.startsWith(u'-');
    number = number.mid(1).trimmed();
  }
  static const QRegularExpression plain(QStringLiteral(R"(^[0-9]*\.?[0-9]*$)"));
  if (plain.match(number).hasMatch() && !number.isEmpty() && number != u'.') {
    if (number.contains(u'.')) {
      while (number.endsWith(u'0')) number.chop(1);
      if (number.endsWith(u'.')) number.chop(1);
    }
    while (number.size() > 1 && number.startsWith(u'0') && number.at(1) != u'.') {
      number.remove(0, 1);
    }
    if (number.isEmpty() || number.startsWith(u'.')) number.prepend(u'0');
    if (number == u'0') negative = false;
  }
  return negative ? u'-' + number : number;
}

// The literal `meaning` stands for (a string's text, a number's digits), or null when it is no
// literal. `is_number` tells which.
QString LiteralValue(const QString& meaning, bool* is_number) {
  static const QRegularExpression string(QStringLiteral(R"(^'((?:[^']|'')*)'$)"));
  static const QRegularExpression bits(QStringLiteral(R"(^b '([01]+)'$)"));
  static const QRegularExpression number(QStringLiteral(R"(^(?:([-+]) ?)?([0-9.][0-9.e+-]*)$)"));
  if (const QRegularExpressionMatch m = string.match(meaning); m.hasMatch()) {
    *is_number = false;
    return m.captured(1).replace(QLatin1String("''"), QLatin1String("'"));
  }
  if (const QRegularExpressionMatch m = bits.match(meaning); m.hasMatch()) {
    *is_number = true;
    return QString::number(m.captured(1).toULongLong(nullptr, 2));
  }
  if (const QRegularExpressionMatch m = number.match(meaning); m.hasMatch()) {
    *is_number = true;
    return m.captured(1) + m.captured(2);
  }
  return {};
}

// Rule 11: the boolean a literal or word stands for, or null.
QString BooleanValue(const QString& meaning) {
  static const QRegularExpression truth(
      QStringLiteral(R"(^(?:true|'(?:t|true|y|yes|on|1)'|1|b '1')$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression falsity(
      QStringLiteral(R"(^(?:false|'(?:f|false|n|no|off|0)'|0|b '0')$)"),
      QRegularExpression::CaseInsensitiveOption);
  if (truth.match(meaning).hasMatch()) return QStringLiteral("true");
  if (falsity.match(meaning).hasMatch()) return QStringLiteral("false");
  return {};
}

// Rule 12: the clock a default reads, or null. `precision` is what the column keeps.
QString ClockValue(const QString& meaning, int32_t data_type, int32_t precision) {
  static const QRegularExpression now(QStringLiteral(
      R"(^(?:now|current_timestamp|localtimestamp|transaction_timestamp|getdate|sysdate)(?: \( (\d*) ?\))?$|^datetime \( 'now' \)$)"));
  static const QRegularExpression today(
      QStringLiteral(R"(^(?:current_date|curdate)(?: \( \))?$|^date \( 'now' \)$)"));
  static const QRegularExpression clock(QStringLiteral(
      R"(^(?:current_time|curtime|localtime)(?: \( (\d*) ?\))?$|^time \( 'now' \)$)"));
  const auto timed = [&](const QRegularExpressionMatch& m, const char* what) {
    const QString digits = m.captured(1);
    // A precision the column keeps anyway changes nothing; a smaller one truncates.
    if (digits.isEmpty() || !IsTimeKind(data_type) || digits.toInt() >= precision) {
      return QString::fromLatin1(what);
    }
    return QString::fromLatin1(what) + u'(' + digits + u')';
  };
  if (const QRegularExpressionMatch m = now.match(meaning); m.hasMatch()) {
    return timed(m, "current timestamp");
  }
  if (today.match(meaning).hasMatch()) return QStringLiteral("current date");
  if (const QRegularExpressionMatch m = clock.match(meaning); m.hasMatch()) {
    return timed(m, "current time");
  }
  return {};
}

// Rule 13: one engine's spelling of a function another engine spells otherwise.
QString MappedSpelling(const QString& meaning) {
  static const struct {
    const char* spelling;
    const char* meaning;
  } kSpellings[] = {
      {"gen_random_uuid ( )", "uuid ( )"},
      {"uuid_generate_v4 ( )", "uuid ( )"},
      {"lower ( hex ( randomblob ( 16 ) ) )", "uuid ( )"},
  };
  for (const auto& row : kSpellings) {
    if (meaning == QLatin1String(row.spelling)) return QLatin1String(row.meaning);
  }
  return meaning;
}

bool IsMysqlBinary(const QString& name) {
  return name.endsWith(QLatin1String("_bin"), Qt::CaseInsensitive) ||
         name.compare(QLatin1String("binary"), Qt::CaseInsensitive) == 0;
}

QString WithCharacterSet(const QString& character_set, const QString& collation) {
  return character_set.isEmpty() ? collation : character_set + u'/' + collation;
}

}  // namespace

QString DefaultMeaning(const QString& default_value, int32_t data_type, int32_t size,
                       bool across_engines) {
  return DefaultMeaning(default_value, data_type, size, ExpressionOrigin{false, across_engines});
}

QString DefaultMeaning(const QString& default_value, int32_t data_type, int32_t size,
                       ExpressionOrigin origin) {
  if (default_value.isNull()) return {};
  const bool across_engines = origin.across_engines;
  const QString meaning = ExpressionMeaning(default_value, origin);
  if (meaning.isEmpty() || meaning == QLatin1String("null") ||
      meaning.startsWith(QLatin1String("null ::"))) {
    return {};
  }
  if (meaning.startsWith(QLatin1String("nextval ("))) return {};
  if (data_type == kBoolean) {
    // As a number, which is what a column of another type keeps for it (rule 11).
    const QString value = BooleanValue(meaning);
    if (!value.isNull())
      return value == QLatin1String("true") ? QStringLiteral("=1") : QStringLiteral("=0");
  }
  if (const QString clock = ClockValue(meaning, data_type, size); !clock.isNull()) {
    return u'@' + clock;
  }
  bool is_number = false;
  const QString literal = LiteralValue(meaning, &is_number);
  if (!literal.isNull()) {
    bool numeric = false;
    if (IsNumericKind(data_type) || is_number) {
      literal.toDouble(&numeric);
    }
    if (numeric && IsNumericKind(data_type)) return u'=' + CanonicalNumber(literal);
    // On any other column a number literal is stored as its text.
    return u'=' + (is_number ? CanonicalNumber(literal) : literal);
  }
  return u':' + (across_engines ? MappedSpelling(meaning) : meaning);
}

CollationTraits TraitsOfCollation(const QString& engine, const QString& name, const QString& locale,
                                  bool deterministic) {
  CollationTraits traits;
  const QString lower = name.toLower();
  if (engine == QLatin1String("sqlite")) {
    traits.case_blind = lower == QLatin1String("nocase");
  } else if (engine == QLatin1String("mysql")) {
    const QStringList parts = lower.split(u'_');
    const bool ci = parts.contains(QLatin1String("ci"));
    traits.case_blind = ci;
    // An accent sensitivity not named follows the case sensitivity.
    traits.accent_blind =
        parts.contains(QLatin1String("ai")) || (ci && !parts.contains(QLatin1String("as")));
  } else if (engine == QLatin1String("postgresql") && !deterministic) {
    const QString settings = locale.toLower();
    const bool primary = settings.contains(QLatin1String("ks-level1")) ||
                         settings.contains(QLatin1String("colstrength=primary"));
    const bool secondary = settings.contains(QLatin1String("ks-level2")) ||
                           settings.contains(QLatin1String("colstrength=secondary"));
    // Strength 1 ignores accents and case, unless the case level is switched back on.
    const bool case_level = settings.contains(QLatin1String("kc-true")) ||
                            settings.contains(QLatin1String("colcaselevel=yes"));
    traits.case_blind = secondary || (primary && !case_level);
    traits.accent_blind = primary;
  }
  return traits;
}

EffectiveCollation CollationOf(const QString& engine, const ColumnDetails* details,
                               int32_t data_type, const DatabaseObjects* database) {
  EffectiveCollation result;
  const ColumnCollation* named =
      details != nullptr && details->collation && !details->collation->name.isEmpty()
          ? details->collation.get()
          : nullptr;
  const bool own = named != nullptr && !(engine == QLatin1String("mysql") && data_type == kJson &&
                                         IsMysqlBinary(named->name));
  if (own) {
    result.name = WithCharacterSet(named->character_set, named->name);
    result.traits = TraitsOfCollation(engine, named->name, named->locale, named->deterministic);
    result.departs = true;
    result.departs_observably =
        database == nullptr ||
        !(result.traits == TraitsOfCollation(engine, database->default_collation,
                                             database->default_collation_locale,
                                             database->default_collation_deterministic));
  } else if (named != nullptr) {
    // MariaDB's JSON collation: what JSON is everywhere, byte for byte.
    result.name = WithCharacterSet(named->character_set, named->name);
  } else if (database != nullptr) {
    result.name = WithCharacterSet(database->default_character_set, database->default_collation);
    result.traits =
        TraitsOfCollation(engine, database->default_collation, database->default_collation_locale,
                          database->default_collation_deterministic);
  }
  return result;
}

bool CollationsDiffer(const EffectiveCollation& a, const EffectiveCollation& b,
                      bool across_engines) {
  if (across_engines) {
    // A column whose collation behaves as its database's default does not depart from it in
    // anything a user can observe: the databases' defaults, said once, cover it.
    if (!a.departs_observably && !b.departs_observably) return false;
    return !(a.traits == b.traits);
  }
  if (!a.departs && !b.departs) return false;  // the databases' defaults, said once
  return a.name.compare(b.name, Qt::CaseInsensitive) != 0;
}

bool DefaultCollationsDiffer(const QString& engine, const DatabaseObjects& a,
                             const QString& other_engine, const DatabaseObjects& b) {
  if (engine != other_engine) {
    return !(TraitsOfCollation(engine, a.default_collation, a.default_collation_locale,
                               a.default_collation_deterministic) ==
             TraitsOfCollation(other_engine, b.default_collation, b.default_collation_locale,
                               b.default_collation_deterministic));
  }
  return WithCharacterSet(a.default_character_set, a.default_collation)
             .compare(WithCharacterSet(b.default_character_set, b.default_collation),
                      Qt::CaseInsensitive) != 0;
}

QHash<QString, int> SequenceUses(const DataConnection& connection) {
  static const QRegularExpression nextval(
      QStringLiteral(R"re(^\s*nextval\s*\(\s*'((?:[^']|'')+)'(?:\s*::\s*regclass)?\s*\)\s*$)re"),
      QRegularExpression::CaseInsensitiveOption);
  QHash<QString, int> uses;
  const auto tables = connection.Tables().Enumerate();
  while (const DataTable* table = tables->Next()) {
    const TableObjects* objects = table->Objects();
    if (objects == nullptr) continue;
    for (const ColumnDetails& details : objects->columns) {
      const QRegularExpressionMatch match = nextval.match(details.default_value);
      if (!match.hasMatch()) continue;
      QString name = match.captured(1);
      name.replace(QLatin1String("''"), QLatin1String("'"));
      name.remove(u'"');
      name = name.toLower();
      ++uses[name];
      const qsizetype dot = name.lastIndexOf(u'.');
      if (dot >= 0) ++uses[name.mid(dot + 1)];
    }
  }
  return uses;
}

bool IsColumnNumbering(const SequenceDefinition& sequence, const QHash<QString, int>& uses) {
  return !sequence.owned_by.isEmpty() || uses.value(sequence.name.toLower()) == 1;
}

QString SequenceBoundsMeaning(const SequenceDefinition& sequence) {
  constexpr qint64 kTop = std::numeric_limits<qint64>::max() - 1;
  constexpr qint64 kBottom = std::numeric_limits<qint64>::min() + 1;
  const QString low =
      sequence.minimum <= kBottom ? QStringLiteral("MIN") : QString::number(sequence.minimum);
  const QString high =
      sequence.maximum >= kTop ? QStringLiteral("MAX") : QString::number(sequence.maximum);
  return low + QLatin1String("..") + high;
}

QString ViewMeaning(const QString& definition, const QString& database) {
  QString meaning = ExpressionMeaning(definition);
  if (database.isEmpty()) return meaning;
  const QString own = database.toLower();
  QStringList kept;
  const QStringList tokens = meaning.split(u' ');
  for (qsizetype i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == own && i + 1 < tokens.size() && tokens[i + 1] == u'.') {
      ++i;  // the name and its dot
      continue;
    }
    kept.append(tokens[i]);
  }
  return kept.join(u' ');
}

QStringList OtherDatabasesRead(const QString& meaning) {
  QStringList databases;
  const QStringList tokens = meaning.split(u' ');
  for (qsizetype i = 0; i + 4 < tokens.size(); ++i) {
    if (tokens[i + 1] == u'.' && tokens[i + 3] == u'.' && (i == 0 || tokens[i - 1] != u'.') &&
        !databases.contains(tokens[i])) {
      databases.append(tokens[i]);
    }
  }
  return databases;
}

QString TriggerEventsMeaning(const TriggerDefinition& trigger) {
  QStringList events;
  for (const QString& event : trigger.events) events.append(event.toUpper());
  events.sort();
  QStringList columns;
  for (const QString& column : trigger.update_columns) columns.append(column.toLower());
  columns.sort();
  return events.join(u' ') + u'|' + columns.join(u',');
}

}  // namespace dataaccess
