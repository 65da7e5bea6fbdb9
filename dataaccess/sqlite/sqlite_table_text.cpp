#include "dataaccess/sqlite/sqlite_table_text.h"

#include <QRegularExpression>
#include <algorithm>

namespace dataaccess {
namespace {

bool IsWord(const SqlToken& token, QStringView word) {
  return token.kind == SqlToken::Kind::kWord && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool IsOperator(const SqlToken& token, QStringView op) {
  return token.kind == SqlToken::Kind::kOperator && token.text == op;
}

size_t Closing(const std::vector<SqlToken>& tokens, size_t open) {
  int depth = 0;
  for (size_t i = open; i < tokens.size(); ++i) {
    if (IsOperator(tokens[i], u"(")) ++depth;
    if (IsOperator(tokens[i], u")") && --depth == 0) return i;
  }
  throw SqlSyntaxError("unbalanced parentheses", tokens[open].offset);
}

QString Span(QStringView sql, const SqlToken& first, const SqlToken& last) {
  return sql.mid(first.offset, last.offset + last.length - first.offset).trimmed().toString();
}

QString Inside(QStringView sql, const SqlToken& open, const SqlToken& close) {
  const auto space = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
  qsizetype from = open.offset + 1;
  qsizetype to = close.offset;
  while (from < to && space(sql[from])) ++from;
  while (to > from && space(sql[to - 1])) --to;
  return sql.mid(from, to - from).toString();
}

// A token's text that outlives the text it was split from (SqlTokensBorrowing).
QString Owned(const QString& text) { return QString(text.constData(), text.size()); }

}  // namespace

// The index of the ")" that closes the "(" at `open`.

// The text from the start of token `first` to the end of token `last`.

TableText ReadTableText(QStringView sql) {
  TableText found;
  const std::vector<SqlToken> tokens = SqlTokens(sql);
  if (tokens.size() < 2 || !IsWord(tokens[0], u"CREATE") || !IsWord(tokens[1], u"TABLE")) {
    return found;
  }
  int depth = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const SqlToken& token = tokens[i];
    if (IsOperator(token, u"(")) ++depth;
    if (IsOperator(token, u")")) --depth;
    if (depth == 0 && IsWord(token, u"WITHOUT")) found.without_rowid = true;
    if (depth == 0 && IsWord(token, u"STRICT")) found.strict = true;
    if (depth != 1) continue;
    if (IsWord(token, u"AUTOINCREMENT")) found.autoincrement = true;
    if (IsWord(token, u"CHECK") && i + 1 < tokens.size() && IsOperator(tokens[i + 1], u"(")) {
      const size_t close = Closing(tokens, i + 1);
      CheckDefinition check;
      if (i >= 2 && IsWord(tokens[i - 2], u"CONSTRAINT")) check.name = tokens[i - 1].text;
      const qsizetype from = tokens[i + 1].offset + 1;
      check.expression = sql.mid(from, tokens[close].offset - from).trimmed().toString();
      found.checks.push_back(std::move(check));
      i = close;
    } else if (IsWord(token, u"REFERENCES")) {
      // The clause ends at the next column or constraint, or at another REFERENCES.
      std::pair<bool, bool> deferral{false, false};
      int inner = 0;
      for (size_t k = i + 1; k < tokens.size(); ++k) {
        if (IsOperator(tokens[k], u"(")) ++inner;
        if (IsOperator(tokens[k], u")") && --inner < 0) break;
        if (inner > 0) continue;
        if (IsOperator(tokens[k], u",") || IsWord(tokens[k], u"REFERENCES")) break;
        if (IsWord(tokens[k], u"DEFERRABLE")) {
          // SQLite defers only DEFERRABLE INITIALLY DEFERRED; NOT DEFERRABLE INITIALLY
          // DEFERRED is immediate.
          deferral.first = !IsWord(tokens[k - 1], u"NOT");
          deferral.second = deferral.first && k + 2 < tokens.size() &&
                            IsWord(tokens[k + 1], u"INITIALLY") &&
                            IsWord(tokens[k + 2], u"DEFERRED");
          break;
        }
      }
      found.references.push_back(deferral);
    }
  }
  return found;
}

IndexText ReadIndexText(QStringView sql) {
  const std::vector<SqlToken> tokens = SqlTokens(sql);
  size_t open = 0;
  while (open < tokens.size() && !IsOperator(tokens[open], u"(")) ++open;
  if (open == tokens.size()) throw SqlSyntaxError("no column list", sql.size());
  const size_t close = Closing(tokens, open);
  IndexText found;
  size_t first = open + 1;
  int depth = 0;
  for (size_t i = open + 1; i <= close; ++i) {
    if (IsOperator(tokens[i], u"(")) ++depth;
    if (IsOperator(tokens[i], u")")) --depth;
    if (depth > 0 || (i < close && !IsOperator(tokens[i], u","))) continue;
    size_t last = i;  // one past the term
    if (last > first && (IsWord(tokens[last - 1], u"ASC") || IsWord(tokens[last - 1], u"DESC"))) {
      --last;
    }
    if (last >= first + 2 && IsWord(tokens[last - 2], u"COLLATE")) last -= 2;
    if (last == first) throw SqlSyntaxError("an empty index term", tokens[i].offset);
    found.terms.append(Span(sql, tokens[first], tokens[last - 1]));
    first = i + 1;
  }
  if (close + 1 < tokens.size() && IsWord(tokens[close + 1], u"WHERE") &&
      close + 2 < tokens.size()) {
    found.predicate = Span(sql, tokens[close + 2], tokens.back());
  }
  return found;
}

// The text inside the parentheses at `open` and `close` without the spaces around it, as SQLite

// keeps a default (SQLite's spaces only: any other character may belong to a name).

std::vector<ColumnText> ReadColumnTexts(QStringView sql) {
  std::vector<ColumnText> found;
  // Split without copying each token: this runs over every table's text. What is kept of a
  // token is copied out (Owned, or Span/Inside).
  const std::vector<SqlToken> tokens = SqlTokensBorrowing(sql);
  if (tokens.size() < 2 || !IsWord(tokens[0], u"CREATE") || !IsWord(tokens[1], u"TABLE")) {
    return found;
  }
  size_t open = 2;
  while (open < tokens.size() && !IsOperator(tokens[open], u"(")) ++open;
  if (open == tokens.size()) return found;
  const size_t close = Closing(tokens, open);
  // Room for every definition at once (commas inside parentheses counted too).
  found.reserve(static_cast<size_t>(
      std::count_if(tokens.begin() + static_cast<std::ptrdiff_t>(open),
                    tokens.begin() + static_cast<std::ptrdiff_t>(close),
                    [](const SqlToken& token) { return IsOperator(token, u","); }) +
      1));
  size_t first = open + 1;
  for (size_t i = first; i <= close; ++i) {
    if (i < close && IsOperator(tokens[i], u"(")) {
      i = Closing(tokens, i);
      continue;
    }
    if (i < close && !IsOperator(tokens[i], u",")) continue;
    // Table constraints may stand between columns: ALTER TABLE ADD COLUMN appends to the text.
    // A column so named is quoted, hence no word.
    static constexpr const char16_t* kConstraintWords[] = {u"CONSTRAINT", u"PRIMARY", u"UNIQUE",
                                                           u"CHECK", u"FOREIGN"};
    const bool constraint =
        first < i && std::any_of(std::begin(kConstraintWords), std::end(kConstraintWords),
                                 [&](const char16_t* word) { return IsWord(tokens[first], word); });
    if (first < i && !constraint) {
      ColumnText& column = found.emplace_back();
      column.name = Owned(tokens[first].text);
      for (size_t k = first + 1; k < i; ++k) {
        if (IsOperator(tokens[k], u"(")) {
          k = Closing(tokens, k);
        } else if (IsWord(tokens[k], u"DEFAULT") && k + 1 < i && !IsWord(tokens[k - 1], u"SET")) {
          // (ON DELETE SET DEFAULT is a foreign key's action.)
          if (IsOperator(tokens[k + 1], u"(")) {
            const size_t end = Closing(tokens, k + 1);
            column.default_value = Inside(sql, tokens[k + 1], tokens[end]);
            k = end;
          } else {
            const size_t sign =
                (IsOperator(tokens[k + 1], u"-") || IsOperator(tokens[k + 1], u"+")) && k + 2 < i
                    ? 1
                    : 0;
            column.default_value = Span(sql, tokens[k + 1], tokens[k + 1 + sign]);
            k += 1 + sign;
          }
        } else if (IsWord(tokens[k], u"COLLATE") && k + 1 < i) {
          column.collation = Owned(tokens[++k].text);
        } else if (IsWord(tokens[k], u"AS") && k + 1 < i && IsOperator(tokens[k + 1], u"(")) {
          const size_t end = Closing(tokens, k + 1);
          const qsizetype from = tokens[k + 1].offset + 1;
          column.generated_expression =
              sql.mid(from, tokens[end].offset - from).trimmed().toString();
          column.stored = end + 1 < i && IsWord(tokens[end + 1], u"STORED");
          k = end;
        }
      }
    }
    first = i + 1;
  }
  return found;
}

bool MayHoldCollationOrGeneration(QByteArrayView sql) {
  const auto word_byte = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || (static_cast<unsigned char>(c) & 0x80) != 0;
  };
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  const auto at = [&](qsizetype i, const char* word) {
    for (qsizetype k = 0; word[k] != 0; ++k) {
      if (i + k >= sql.size() || lower(sql[i + k]) != word[k]) return false;
    }
    return true;
  };
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const char c = lower(sql[i]);
    if (c == 'c' && at(i, "collate")) return true;
    if (c == 'a' && at(i, "as") && (i == 0 || !word_byte(sql[i - 1])) &&
        (i + 2 == sql.size() || !word_byte(sql[i + 2]))) {
      return true;
    }
  }
  return false;
}

QString ReadViewText(QStringView sql) {
  const std::vector<SqlToken> tokens = SqlTokens(sql);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (IsOperator(tokens[i], u"(")) i = Closing(tokens, i);
    if (IsWord(tokens[i], u"AS")) {
      return sql.mid(tokens[i].offset + tokens[i].length).trimmed().toString();
    }
  }
  throw SqlSyntaxError("no AS before the view's query", sql.size());
}

TriggerDefinition ReadTriggerText(QStringView sql) {
  const std::vector<SqlToken> tokens = SqlTokens(sql);
  size_t i = 0;
  const auto at = [&](size_t k) -> const SqlToken& {
    if (k >= tokens.size()) throw SqlSyntaxError("the text ends too early", sql.size());
    return tokens[k];
  };
  const auto expect = [&](QStringView word) {
    if (!IsWord(at(i), word)) throw SqlSyntaxError("unexpected word", at(i).offset);
    ++i;
  };
  // A name, maybe after its schema.
  const auto skip_name = [&] {
    ++i;
    if (i < tokens.size() && IsOperator(tokens[i], u".")) i += 2;
  };
  expect(u"CREATE");
  if (IsWord(at(i), u"TEMP") || IsWord(at(i), u"TEMPORARY")) ++i;
  expect(u"TRIGGER");
  if (IsWord(at(i), u"IF")) i += 3;  // IF NOT EXISTS
  at(i);
  skip_name();
  TriggerDefinition trigger;
  trigger.timing = QStringLiteral("BEFORE");
  if (IsWord(at(i), u"BEFORE") || IsWord(at(i), u"AFTER")) {
    trigger.timing = at(i++).text.toUpper();
  } else if (IsWord(at(i), u"INSTEAD")) {
    ++i;
    expect(u"OF");
    trigger.timing = QStringLiteral("INSTEAD OF");
  }
  const SqlToken& event = at(i++);
  if (!IsWord(event, u"INSERT") && !IsWord(event, u"UPDATE") && !IsWord(event, u"DELETE")) {
    throw SqlSyntaxError("no INSERT, UPDATE or DELETE", event.offset);
  }
  trigger.events.append(event.text.toUpper());
  if (IsWord(event, u"UPDATE") && IsWord(at(i), u"OF")) {
    do {
      trigger.update_columns.append(at(++i).text);
      ++i;
    } while (IsOperator(at(i), u","));
  }
  expect(u"ON");
  at(i);
  skip_name();
  if (IsWord(at(i), u"FOR")) i += 3;  // FOR EACH ROW
  // BEGIN may also name a column (SQLite takes it as a name where a name may stand).
  size_t begin = i;
  while (!IsWord(at(begin), u"BEGIN") || IsOperator(at(begin - 1), u".")) {
    begin = IsOperator(at(begin), u"(") ? Closing(tokens, begin) + 1 : begin + 1;
  }
  if (IsWord(at(i), u"WHEN")) {
    if (begin <= i + 1) throw SqlSyntaxError("an empty WHEN condition", at(i).offset);
    trigger.when = Span(sql, tokens[i + 1], tokens[begin - 1]);
  } else if (begin != i) {
    throw SqlSyntaxError("unexpected text before BEGIN", at(i).offset);
  }
  trigger.body = Span(sql, tokens[begin], tokens.back());
  return trigger;
}

}  // namespace dataaccess
