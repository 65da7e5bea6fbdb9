#include "dataaccess/object_rules.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "dataaccess/catalog/mysql_strings.h"
#include "dataaccess/catalog/sql_tokens.h"
#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

// How tightly an operator binds, as far as removing parentheses needs to know: a group may lose
// its parentheses when everything at its top level binds more tightly than what stands on
// either side of it.
enum Binding : int {
  kOutside = 0,     // start, end, a comma, an enclosing parenthesis
  kOr = 1,          // OR
  kAnd = 2,         // AND, which binds more tightly: a AND b OR c is (a AND b) OR c
  kNot = 3,         // NOT, more tightly still, but less than what it negates: NOT a = b
  kComparison = 4,  // = <> < <= > >= IS IN LIKE GLOB BETWEEN ...
  kArithmetic = 5,  // every other operator
  kSingle = 6,      // one operand, nothing to bind
};

struct Token {
  enum Kind { kWord, kString, kNumber, kOther } kind;
  QString text;
};

bool IsOneOf(const QString& word, std::initializer_list<const char*> words) {
  for (const char* candidate : words) {
    if (word == QLatin1String(candidate)) return true;
  }
  return false;
}

bool IsLogicalWord(const QString& word) { return IsOneOf(word, {"and", "or", "not"}); }

bool IsComparisonWord(const QString& word) {
  return IsOneOf(word, {"is", "in", "like", "ilike", "glob", "regexp", "match", "between", "escape",
                        "isnull", "notnull", "similar"});
}

// Words that continue an expression rather than name a type or call a function.
bool IsOperatorWord(const QString& word) {
  return IsLogicalWord(word) || IsComparisonWord(word) ||
         IsOneOf(word, {"case", "when", "then", "else", "end", "collate", "as", "distinct", "from",
                        "null", "true", "false"});
}

Binding BindingOf(const Token& token) {
  if (token.kind == Token::kWord) {
    if (IsOneOf(token.text,
                {"case", "when", "then", "else", "end", "select", "where", "having", "on"})) {
      return kOutside;
    }
    if (token.text == QLatin1String("or")) return kOr;
    if (token.text == QLatin1String("and")) return kAnd;
    if (token.text == QLatin1String("not")) return kNot;
    if (IsComparisonWord(token.text)) return kComparison;
    return kSingle;
  }
  if (token.kind != Token::kOther) return kSingle;
  if (token.text == u',' || token.text == u'(' || token.text == u')') return kOutside;
  if (IsOneOf(token.text, {"=", "<>", "<", "<=", ">", ">="})) return kComparison;
  return kArithmetic;
}

bool IsNumericTypeWord(const QString& word) {
  return IsOneOf(word, {"integer", "int", "int2", "int4", "int8", "smallint", "bigint", "numeric",
                        "decimal", "real", "double", "float", "float4", "float8"});
}

void AppendCanonical(QStringView text, std::vector<Token>& result) {
  const std::vector<SqlToken> tokens = SqlTokens(text);
  result.reserve(result.size() + tokens.size());
  for (const SqlToken& token : tokens) {
    switch (token.kind) {
      case SqlToken::Kind::kIdentifier:
        // Brackets quote a name in SQLite, but are PostgreSQL's arrays where it shows them:
        // ARRAY['a', 'b'] and the type text[].
        if (text[token.offset] == u'[' &&
            (token.text.isEmpty() || (!result.empty() && result.back().kind == Token::kWord &&
                                      result.back().text == QLatin1String("array")))) {
          result.push_back({Token::kOther, QStringLiteral("[")});
          AppendCanonical(token.text, result);
          result.push_back({Token::kOther, QStringLiteral("]")});
          break;
        }
        [[fallthrough]];
      case SqlToken::Kind::kWord: {
        // MySQL shows lower() and upper() under names of its own.
        QString word = token.text.toLower();
        if (token.kind == SqlToken::Kind::kWord && word == QLatin1String("lcase")) {
          word = QStringLiteral("lower");
        } else if (token.kind == SqlToken::Kind::kWord && word == QLatin1String("ucase")) {
          word = QStringLiteral("upper");
        }
        result.push_back({Token::kWord, word});
        break;
      }
      case SqlToken::Kind::kString:
        result.push_back({Token::kString, token.text});
        break;
      case SqlToken::Kind::kNumber:
        result.push_back({Token::kNumber, token.text.toLower()});
        break;
      default: {
        QString spelling = token.text;
        if (spelling == QLatin1String("!=")) spelling = QStringLiteral("<>");
        if (spelling == QLatin1String("==")) spelling = QStringLiteral("=");
        result.push_back({Token::kOther, spelling});
        break;
      }
    }
  }
}

// The tokens of `text` with the spelling that means nothing taken out: words in lower case,
// one spelling of each operator. Throws SqlSyntaxError as SqlTokens does.
std::vector<Token> Canonical(QStringView text) {
  std::vector<Token> result;
  AppendCanonical(text, result);
  return result;
}

bool IsOpen(const Token& token) { return token.kind == Token::kOther && token.text == u'('; }
bool IsClose(const Token& token) { return token.kind == Token::kOther && token.text == u')'; }

// The index of the parenthesis closing the one at `open`, or -1.
qsizetype Closing(const std::vector<Token>& tokens, qsizetype open) {
  int depth = 0;
  for (auto i = open; i < static_cast<qsizetype>(tokens.size()); ++i) {
    if (IsOpen(tokens[static_cast<size_t>(i)])) ++depth;
    if (IsClose(tokens[static_cast<size_t>(i)]) && --depth == 0) return i;
  }
  return -1;
}

// The loosest binding at the top level of tokens (first, last].
Binding LoosestInside(const std::vector<Token>& tokens, qsizetype first, qsizetype last) {
  if (last - first == 1) return kSingle;
  Binding loosest = kSingle;
  int depth = 0;
  for (auto i = first; i < last; ++i) {
    const Token& token = tokens[static_cast<size_t>(i)];
    if (IsOpen(token)) ++depth;
    if (IsClose(token)) --depth;
    if (depth != 0 || IsOpen(token) || IsClose(token)) continue;
    const Binding binding = BindingOf(token);
    if (binding != kSingle && binding < loosest) loosest = binding == kOutside ? kOr : binding;
  }
  // Operands side by side without an operator (CASE ... END, a type name): keep the group.
  return loosest == kSingle ? kArithmetic : loosest;
}

Binding NeighbourBinding(const std::vector<Token>& tokens, qsizetype at) {
  if (at < 0 || at >= static_cast<qsizetype>(tokens.size())) return kOutside;
  return BindingOf(tokens[static_cast<size_t>(at)]);
}

// Removes one pair of parentheses that changes nothing; false when there is none.
bool RemoveOneRedundantGroup(std::vector<Token>& tokens) {
  for (qsizetype open = 0; open < static_cast<qsizetype>(tokens.size()); ++open) {
    if (!IsOpen(tokens[static_cast<size_t>(open)])) continue;
    // A function's or IN's arguments keep their parentheses.
    if (open > 0) {
      const Token& before = tokens[static_cast<size_t>(open - 1)];
      if (before.kind == Token::kWord && !IsLogicalWord(before.text) &&
          !IsOneOf(before.text, {"is", "like", "glob", "between", "when", "then", "else", "case",
                                 "escape", "select", "where", "having", "on"})) {
        continue;
      }
    }
    const qsizetype close = Closing(tokens, open);
    if (close < 0) return false;
    if (close == open + 1) continue;  // ()
    const Binding inside = LoosestInside(tokens, open + 1, close);
    const Binding before = NeighbourBinding(tokens, open - 1);
    const Binding after = NeighbourBinding(tokens, close + 1);
    if (inside > before && inside > after) {
      tokens.erase(tokens.begin() + close);
      tokens.erase(tokens.begin() + open);
      return true;
    }
  }
  return false;
}

// Removes casts of literals: 'a'::text, 0::integer, 'x'::character varying(20), CAST(1 AS int).
// A string cast to a number type becomes that number.
bool RemoveOneLiteralCast(std::vector<Token>& tokens) {
  for (size_t i = 0; i + 2 < tokens.size(); ++i) {
    const Token& literal = tokens[i];
    if (literal.kind != Token::kString && literal.kind != Token::kNumber) continue;
    if (tokens[i + 1].kind != Token::kOther || tokens[i + 1].text != QLatin1String("::")) continue;
    size_t end = i + 2;
    bool numeric = false;
    while (end < tokens.size() && tokens[end].kind == Token::kWord &&
           !IsOperatorWord(tokens[end].text)) {
      numeric = numeric || IsNumericTypeWord(tokens[end].text);
      ++end;
    }
    if (end == i + 2) continue;
    if (end < tokens.size() && IsOpen(tokens[end])) {
      const qsizetype close = Closing(tokens, static_cast<qsizetype>(end));
      if (close < 0) continue;
      end = static_cast<size_t>(close) + 1;
    }
    while (end + 1 < tokens.size() && tokens[end].text == u'[' && tokens[end + 1].text == u']') {
      end += 2;
    }
    if (numeric && literal.kind == Token::kString) {
      bool is_number = false;
      literal.text.toDouble(&is_number);
      if (is_number) tokens[i] = {Token::kNumber, literal.text.trimmed().toLower()};
    }
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i) + 1,
                 tokens.begin() + static_cast<qsizetype>(end));
    return true;
  }
  // PostgreSQL shows its implicit conversion of a varchar column to text, status::text, where
  // the other engines compare the column as it is: the text is the same.
  for (size_t i = 0; i + 2 < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kWord || IsOperatorWord(tokens[i].text)) continue;
    if (tokens[i + 1].kind != Token::kOther || tokens[i + 1].text != QLatin1String("::")) continue;
    if (i > 0 && tokens[i - 1].kind == Token::kOther && tokens[i - 1].text == QLatin1String("::")) {
      continue;  // a type name of an earlier cast
    }
    const QString& type = tokens[i + 2].text;
    const bool varying = type == QLatin1String("character") && i + 3 < tokens.size() &&
                         tokens[i + 3].text == QLatin1String("varying");
    if (type != QLatin1String("text") && type != QLatin1String("varchar") && !varying) continue;
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i) + 1,
                 tokens.begin() + static_cast<qsizetype>(i) + (varying ? 4 : 3));
    return true;
  }
  // CAST ( literal AS type ... )
  for (size_t i = 0; i + 4 < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kWord || tokens[i].text != QLatin1String("cast")) continue;
    if (!IsOpen(tokens[i + 1])) continue;
    const Token& literal = tokens[i + 2];
    if (literal.kind != Token::kString && literal.kind != Token::kNumber) continue;
    if (tokens[i + 3].kind != Token::kWord || tokens[i + 3].text != QLatin1String("as")) continue;
    const qsizetype close = Closing(tokens, static_cast<qsizetype>(i) + 1);
    if (close < 0) continue;
    Token kept = literal;
    for (auto k = static_cast<qsizetype>(i) + 4; k < close; ++k) {
      if (kept.kind == Token::kString && IsNumericTypeWord(tokens[static_cast<size_t>(k)].text)) {
        bool is_number = false;
        kept.text.toDouble(&is_number);
        if (is_number) kept = {Token::kNumber, kept.text.trimmed().toLower()};
      }
    }
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i) + 1, tokens.begin() + close + 1);
    tokens[i] = kept;
    return true;
  }
  return false;
}

bool IsWord(const Token& token, const char* word) {
  return token.kind == Token::kWord && token.text == QLatin1String(word);
}
bool IsOther(const Token& token, const char* spelling) {
  return token.kind == Token::kOther && token.text == QLatin1String(spelling);
}

// PostgreSQL shows x IN (a, b) as x = ANY (ARRAY[a, b]) and x NOT IN (a, b) as
// x <> ALL (ARRAY[a, b]), the array cast to an array of the column's type: for a list of
// literals, this is the list.
bool RewriteOneArrayComparison(std::vector<Token>& tokens) {
  for (size_t i = 1; i + 1 < tokens.size(); ++i) {
    const bool any = IsWord(tokens[i], "any") && IsOther(tokens[i - 1], "=");
    const bool all = IsWord(tokens[i], "all") && IsOther(tokens[i - 1], "<>");
    if ((!any && !all) || !IsOpen(tokens[i + 1])) continue;
    const qsizetype close = Closing(tokens, static_cast<qsizetype>(i) + 1);
    if (close < 0) continue;
    // The argument, [first, last), without the parentheses and the cast around the array.
    auto first = static_cast<qsizetype>(i) + 2;
    qsizetype last = close;
    for (bool stripped = true; stripped && last - first > 2;) {
      stripped = false;
      const auto at = [&](qsizetype k) -> const Token& { return tokens[static_cast<size_t>(k)]; };
      if (IsOther(at(last - 1), "]") && IsOther(at(last - 2), "[")) {
        qsizetype cast = last - 3;
        while (cast > first && at(cast).kind == Token::kWord) --cast;
        if (cast > first && cast < last - 3 && IsOther(at(cast), "::")) {
          last = cast;
          stripped = true;
        }
      } else if (IsOpen(at(first)) && Closing(tokens, first) == last - 1) {
        ++first;
        --last;
        stripped = true;
      }
    }
    if (last - first < 4 || !IsWord(tokens[static_cast<size_t>(first)], "array") ||
        !IsOther(tokens[static_cast<size_t>(first) + 1], "[") ||
        !IsOther(tokens[static_cast<size_t>(last) - 1], "]")) {
      continue;
    }
    const auto items_begin = tokens.begin() + first + 2;
    const auto items_end = tokens.begin() + last - 1;
    const bool literals = std::all_of(items_begin, items_end, [](const Token& token) {
      return token.kind == Token::kString || token.kind == Token::kNumber || token.text == u',' ||
             token.text == u'-';
    });
    if (!literals) continue;
    std::vector<Token> list;
    if (all) list.push_back({Token::kWord, QStringLiteral("not")});
    list.push_back({Token::kWord, QStringLiteral("in")});
    list.push_back({Token::kOther, QStringLiteral("(")});
    list.insert(list.end(), items_begin, items_end);
    list.push_back({Token::kOther, QStringLiteral(")")});
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i) - 1, tokens.begin() + close + 1);
    tokens.insert(tokens.begin() + static_cast<qsizetype>(i) - 1, list.begin(), list.end());
    return true;
  }
  return false;
}

// An element of an array as PostgreSQL's text of the array writes it: in double quotes where it
// is empty, NULL, or holds a space, a brace, a comma, a quote or a backslash.
QString ArrayElement(const Token& token) {
  if (token.kind == Token::kNumber) return token.text;
  const QString& text = token.text;
  const bool plain = !text.isEmpty() && text.compare(u"null", Qt::CaseInsensitive) != 0 &&
                     std::none_of(text.begin(), text.end(), [](QChar c) {
                       return c.isSpace() || QStringView(u"{},\"\\").contains(c);
                     });
  if (plain) return text;
  QString quoted = text;
  quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
  return u'"' + quoted + u'"';
}

// ARRAY[1, 2] of literals is the array '{1,2}' (ARRAY[] is '{}'): PostgreSQL keeps a default
// or a check as the user spelled the array, as a constructor or as its text.
bool RewriteOneArrayLiteral(std::vector<Token>& tokens) {
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (!IsWord(tokens[i], "array") || !IsOther(tokens[i + 1], "[")) continue;
    QStringList elements;
    size_t end = i + 2;
    bool literals = true;
    for (bool expect_element = true; end < tokens.size() && !IsOther(tokens[end], "]"); ++end) {
      const Token& token = tokens[end];
      if (expect_element && IsOther(token, "-") && end + 1 < tokens.size() &&
          tokens[end + 1].kind == Token::kNumber) {
        elements.append(u'-' + tokens[++end].text);
      } else if (expect_element && (token.kind == Token::kNumber || token.kind == Token::kString)) {
        elements.append(ArrayElement(token));
      } else if (expect_element || !IsOther(token, ",")) {
        literals = false;
        break;
      }
      expect_element = !expect_element;
    }
    if (!literals || end >= tokens.size()) continue;
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i) + 1,
                 tokens.begin() + static_cast<qsizetype>(end) + 1);
    tokens[i] = {Token::kString, u'{' + elements.join(u',') + u'}'};
    return true;
  }
  return false;
}

// The length of a text in characters is char_length() everywhere: PostgreSQL's and SQLite's
// length() and character_length() count characters, while MySQL's length() counts bytes, which
// is octet_length() (rule 5). Whether a text is empty is the same in bytes and in characters,
// though: on MySQL too, length(x) > 0 is char_length(x) > 0.
void NameLengthFunctionsAlike(std::vector<Token>& tokens, bool mysql) {
  const auto tells_emptiness = [&](size_t open) {
    const qsizetype close = Closing(tokens, static_cast<qsizetype>(open));
    if (close < 0 || static_cast<size_t>(close) + 2 >= tokens.size()) return false;
    const Token& op = tokens[static_cast<size_t>(close) + 1];
    const Token& bound = tokens[static_cast<size_t>(close) + 2];
    if (op.kind != Token::kOther || bound.kind != Token::kNumber) return false;
    if (bound.text == u'0') return IsOneOf(op.text, {">", "<>", "=", "<="});
    return bound.text == u'1' && IsOneOf(op.text, {">=", "<"});
  };
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].kind != Token::kWord || !IsOpen(tokens[i + 1])) continue;
    QString& name = tokens[i].text;
    const bool length = name == QLatin1String("length");
    if (name == QLatin1String("character_length") ||
        (length && (!mysql || tells_emptiness(i + 1)))) {
      name = QStringLiteral("char_length");
    } else if (length || (name == QLatin1String("octet_length") && tells_emptiness(i + 1))) {
      name = length ? QStringLiteral("octet_length") : QStringLiteral("char_length");
    }
  }
}

// True when the expression divides or takes a remainder anywhere.
bool Divides(const std::vector<Token>& tokens) {
  return std::any_of(tokens.begin(), tokens.end(), [](const Token& token) {
    return IsOther(token, "/") || IsOther(token, "%") || IsWord(token, "div") ||
           IsWord(token, "mod");
  });
}

// Where the name that ends at `last` starts: t.qty is one name, and so is (t.qty) or (qty),
// whose parentheses are then `*parenthesised`. -1 where no name ends there.
qsizetype NameStart(const std::vector<Token>& tokens, qsizetype last, bool* parenthesised) {
  const auto at = [&](qsizetype i) -> const Token& { return tokens[static_cast<size_t>(i)]; };
  *parenthesised = IsClose(at(last));
  if (*parenthesised) --last;
  if (last < 0 || at(last).kind != Token::kWord || IsOperatorWord(at(last).text)) return -1;
  qsizetype start = last;
  while (start >= 2 && IsOther(at(start - 1), ".") && at(start - 2).kind == Token::kWord) {
    start -= 2;
  }
  if (!*parenthesised) return start;
  return start >= 1 && IsOpen(at(start - 1)) ? start - 1 : -1;
}

// Removes one column's cast to numeric (no precision) beside +, -, * or a comparison: PostgreSQL's
// own conversion of an integer column where it meets a numeric one (rule 5, across engines).
bool RemoveOneNumericPromotion(std::vector<Token>& tokens) {
  const auto size = static_cast<qsizetype>(tokens.size());
  const auto promotes = [&](qsizetype at) {
    if (at < 0 || at >= size) return true;
    const Token& token = tokens[static_cast<size_t>(at)];
    if (token.kind != Token::kOther) return BindingOf(token) <= kComparison;
    return IsOneOf(token.text, {"+", "-", "*", "=", "<>", "<", "<=", ">", ">=", ",", "(", ")"});
  };
  for (qsizetype cast = 1; cast + 1 < size; ++cast) {
    if (!IsOther(tokens[static_cast<size_t>(cast)], "::") ||
        !IsWord(tokens[static_cast<size_t>(cast + 1)], "numeric")) {
      continue;
    }
    if (cast + 2 < size) {
      const Token& next = tokens[static_cast<size_t>(cast + 2)];
      if (IsOpen(next) || IsOther(next, "::") || IsOther(next, "[")) continue;  // precision, ...
    }
    bool parenthesised = false;
    const qsizetype start = NameStart(tokens, cast - 1, &parenthesised);
    if (start < 0 || (start >= 1 && IsOther(tokens[static_cast<size_t>(start - 1)], "::"))) {
      continue;  // no name, or the type name of an earlier cast
    }
    if (!promotes(start - 1) || !promotes(cast + 2)) continue;
    tokens.erase(tokens.begin() + cast, tokens.begin() + cast + 2);
    if (parenthesised) {
      tokens.erase(tokens.begin() + cast - 1);
      tokens.erase(tokens.begin() + start);
    }
    return true;
  }
  return false;
}

// One operand of one token: a name or a literal.
bool IsSingleOperand(const Token& token) {
  if (token.kind == Token::kString || token.kind == Token::kNumber) return true;
  return token.kind == Token::kWord && !IsOperatorWord(token.text) &&
         !IsOneOf(token.text, {"symmetric", "asymmetric"});
}

// x BETWEEN a AND b is x >= a AND x <= b, and x NOT BETWEEN a AND b is x < a OR x > b, as
// PostgreSQL shows them; where x, a and b are each one name or literal.
bool RewriteOneBetween(std::vector<Token>& tokens) {
  for (size_t i = 1; i + 3 < tokens.size(); ++i) {
    if (!IsWord(tokens[i], "between")) continue;
    const bool negated = IsWord(tokens[i - 1], "not");
    if (negated && i < 2) continue;
    const size_t operand = negated ? i - 2 : i - 1;
    if (!IsSingleOperand(tokens[operand]) || !IsSingleOperand(tokens[i + 1]) ||
        !IsWord(tokens[i + 2], "and") || !IsSingleOperand(tokens[i + 3])) {
      continue;
    }
    // Nothing on either side binds an operand more tightly than the comparison would.
    if (operand > 0 && BindingOf(tokens[operand - 1]) > kNot) continue;
    if (i + 4 < tokens.size() && BindingOf(tokens[i + 4]) > kNot) continue;
    const Token x = tokens[operand];
    const Token low = tokens[i + 1];
    const Token high = tokens[i + 3];
    const auto other = [](const char* spelling) {
      return Token{Token::kOther, QString::fromLatin1(spelling)};
    };
    const std::vector<Token> comparisons = {
        other("("),
        x,
        other(negated ? "<" : ">="),
        low,
        {Token::kWord, QString::fromLatin1(negated ? "or" : "and")},
        x,
        other(negated ? ">" : "<="),
        high,
        other(")")};
    tokens.erase(tokens.begin() + static_cast<qsizetype>(operand),
                 tokens.begin() + static_cast<qsizetype>(i) + 4);
    tokens.insert(tokens.begin() + static_cast<qsizetype>(operand), comparisons.begin(),
                  comparisons.end());
    return true;
  }
  return false;
}

// x = a OR x = b is x IN (a, b), where x is one name and a and b literals, and nothing beside
// the chain binds more tightly than OR (a AND x = 1 OR x = 2 is (a AND x = 1) OR x = 2).
bool RewriteOneOrChain(std::vector<Token>& tokens) {
  const auto is_literal = [](const Token& token) {
    return token.kind == Token::kString || token.kind == Token::kNumber;
  };
  for (size_t i = 0; i + 6 < tokens.size(); ++i) {
    const Token& x = tokens[i];
    if (x.kind != Token::kWord || IsOperatorWord(x.text)) continue;
    if (i > 0 && BindingOf(tokens[i - 1]) > kOr) continue;
    if (i > 0 && IsOther(tokens[i - 1], ".")) continue;
    std::vector<Token> literals;
    size_t end = i;  // just past the last comparison of the chain
    while (end + 2 < tokens.size() && tokens[end].kind == x.kind && tokens[end].text == x.text &&
           IsOther(tokens[end + 1], "=") && is_literal(tokens[end + 2])) {
      literals.push_back(tokens[end + 2]);
      end += 3;
      if (end + 1 < tokens.size() && IsWord(tokens[end], "or") && tokens[end + 1].text == x.text) {
        ++end;
        continue;
      }
      break;
    }
    if (literals.size() < 2) continue;
    if (end < tokens.size() && BindingOf(tokens[end]) > kOr) continue;
    std::vector<Token> list = {
        x, {Token::kWord, QStringLiteral("in")}, {Token::kOther, QStringLiteral("(")}};
    for (const Token& literal : literals) {
      if (list.size() > 3) list.push_back({Token::kOther, QStringLiteral(",")});
      list.push_back(literal);
    }
    list.push_back({Token::kOther, QStringLiteral(")")});
    tokens.erase(tokens.begin() + static_cast<qsizetype>(i),
                 tokens.begin() + static_cast<qsizetype>(end));
    tokens.insert(tokens.begin() + static_cast<qsizetype>(i), list.begin(), list.end());
    return true;
  }
  return false;
}

QString Joined(const std::vector<Token>& tokens) {
  QString text;
  for (const Token& token : tokens) {
    if (!text.isEmpty()) text += u' ';
    if (token.kind == Token::kString) {
      QString quoted = token.text;
      quoted.replace(u'\'', QLatin1String("''"));
      text += u'\'' + quoted + u'\'';
    } else {
      text += token.text;
    }
  }
  return text;
}

// "c >= 0" or "0 <= c" with any quoting and parentheses: the column's name, else empty.
QString NonNegativeColumn(const QString& meaning) {
  static const QRegularExpression pattern(
      QStringLiteral(R"re(^(?:([^\s()]+) >= 0|0 <= ([^\s()]+))$)re"));
  const QRegularExpressionMatch match = pattern.match(meaning);
  if (!match.hasMatch()) return {};
  return match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
}

// "c IN ('a', 'b')": the column's name (as ExpressionMeaning spells it) and the labels in
// their order; an empty name for any other check.
struct LabelList {
  QString column;
  QStringList labels;
};
LabelList LabelsOfCheck(const QString& meaning) {
  static const QRegularExpression in_list(
      QStringLiteral(R"re(^([^\s()]+) in \( ('(?:[^']|'')*'(?: , '(?:[^']|'')*')*) \)$)re"));
  static const QRegularExpression label(QStringLiteral("'((?:[^']|'')*)'"));
  const QRegularExpressionMatch match = in_list.match(meaning);
  if (!match.hasMatch()) return {};
  LabelList list{match.captured(1), {}};
  for (const QRegularExpressionMatch& each : label.globalMatch(match.captured(2))) {
    list.labels.append(each.captured(1).replace(QLatin1String("''"), QLatin1String("'")));
  }
  return list;
}

bool IsTextKind(int32_t data_type) {
  return data_type == kChar || data_type == kVarChar || data_type == kText;
}

// True when a check of `table` holds its text column `column` to exactly the labels of the
// enumeration `enumeration`.
bool HeldToLabels(const DataColumn& column, const DataTable& table, const DataColumn& enumeration) {
  if (enumeration.DataType() != kEnum || !IsTextKind(column.DataType())) return false;
  const TableObjects* objects = table.Objects();
  if (objects == nullptr) return false;
  for (const CheckDefinition& check : objects->checks) {
    const LabelList list = LabelsOfCheck(ExpressionMeaning(check.expression));
    if (!list.column.isEmpty() && SameNameIgnoringCase(list.column, column.Name()) &&
        EnumType(list.labels).size == enumeration.Size()) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool EscapesWithBackslash(const QString& engine) {
  return engine == EngineName(TypeDialect::kMysql);
}

ExpressionOrigin OriginOf(const QString& engine, const QString& other_engine) {
  return {EscapesWithBackslash(engine), engine != other_engine};
}

QString ExpressionMeaning(QStringView expression) { return ExpressionMeaning(expression, {}); }

QString ExpressionMeaning(QStringView expression, ExpressionOrigin origin) {
  const QString standard =
      origin.backslash_escapes ? MysqlStringsAsStandard(expression) : QString();
  const QStringView text = origin.backslash_escapes ? QStringView(standard) : expression;
  std::vector<Token> tokens;
  try {
    tokens = Canonical(text);
  } catch (const SqlSyntaxError&) {
    return text.trimmed().toString();
  }
  NameLengthFunctionsAlike(tokens, origin.backslash_escapes);
  const bool promotions = origin.across_engines && !Divides(tokens);
  // A literal cast may be parenthesised, (0)::numeric, parentheses may wrap what a cast left,
  // and a list or a range is recognised once its literals are bare, so the steps repeat until
  // none finds anything.
  for (bool changed = true; changed;) {
    changed = RemoveOneRedundantGroup(tokens) || RemoveOneLiteralCast(tokens) ||
              (promotions && RemoveOneNumericPromotion(tokens)) ||
              RewriteOneArrayComparison(tokens) || RewriteOneBetween(tokens) ||
              RewriteOneOrChain(tokens) || RewriteOneArrayLiteral(tokens);
  }
  return Joined(tokens);
}

bool CheckAdmitsAllOf(QStringView check, QStringView other) {
  const LabelList wider = LabelsOfCheck(ExpressionMeaning(check));
  const LabelList narrower = LabelsOfCheck(ExpressionMeaning(other));
  if (wider.column.isEmpty() || !SameNameIgnoringCase(wider.column, narrower.column)) return false;
  return std::all_of(narrower.labels.begin(), narrower.labels.end(),
                     [&](const QString& label) { return wider.labels.contains(label); });
}

ReferentialAction EnforcedAction(ReferentialAction action, bool deferrable) {
  if (action == ReferentialAction::kRestrict && !deferrable) return ReferentialAction::kNoAction;
  return action;
}

bool CheckBelongsToColumn(const CheckDefinition& check, const DataTable& table,
                          const DataTable* other, const QString& other_engine) {
  const QString json_column = JsonCheckedColumn(check.expression);
  if (!json_column.isEmpty()) {
    try {
      if (table.Columns().Item(json_column).DataType() != kJson) return false;
      // SQLite keeps whatever text a column declared JSON is given: only a json_valid check
      // refuses what is not JSON there, so against such a column the check is one of its own.
      if (other == nullptr || other_engine != QLatin1String("sqlite")) return true;
      const TableObjects* objects = other->Objects();
      return objects != nullptr &&
             std::any_of(objects->checks.begin(), objects->checks.end(),
                         [&](const CheckDefinition& other_check) {
                           return SameNameIgnoringCase(JsonCheckedColumn(other_check.expression),
                                                       json_column);
                         });
    } catch (const std::exception&) {
      return false;
    }
  }
  const QString meaning = ExpressionMeaning(check.expression);
  if (const LabelList list = LabelsOfCheck(meaning); !list.column.isEmpty()) {
    const int32_t hash = EnumType(list.labels).size;
    for (const DataTable* side : {&table, other}) {
      if (side == nullptr) continue;
      try {
        const DataColumn& column = side->Columns().Item(list.column);
        if (column.DataType() == kEnum && column.Size() == hash) return true;
      } catch (const std::exception&) {
        // No such column on that side: it tells nothing.
      }
    }
    return false;
  }
  const QString column = NonNegativeColumn(meaning);
  if (column.isEmpty()) return false;
  // Each side on its own facts: the check its own UNSIGNED column already stands for, and the
  // one an ORM wrote where the other side's column is UNSIGNED.
  for (const DataTable* side : {&table, other}) {
    if (side == nullptr) continue;
    try {
      if ((side->Columns().Item(column).Attributes() & kUnsigned) != 0) return true;
    } catch (const std::exception&) {
      // No such column on that side: it tells nothing.
    }
  }
  return false;
}

bool IsEngineMadeForeignKeyIndex(const IndexDefinition& index, const TableObjects& objects,
                                 const QString& engine) {
  if (engine != QLatin1String("mysql") || index.unique || !index.predicate.isEmpty()) return false;
  QStringList columns;
  for (const IndexPart& part : index.parts) {
    if (part.column.isEmpty()) return false;
    columns.append(part.column.toLower());
  }
  for (const ForeignKeyDefinition& key : objects.foreign_keys) {
    QStringList key_columns;
    for (const QString& column : key.columns) key_columns.append(column.toLower());
    if (key_columns != columns) continue;
    // The server names the index it makes after the constraint, or else after the key's first
    // column; an index of another name was declared.
    if (index.name.compare(key.name, Qt::CaseInsensitive) == 0) return true;
    static const QRegularExpression numbered(QStringLiteral("_[0-9]+$"));
    QString stem = index.name;
    if (stem.compare(columns.front(), Qt::CaseInsensitive) != 0) stem.remove(numbered);
    if (stem.compare(columns.front(), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

bool IsForeignKeyIndexServedBy(const IndexDefinition& index, const TableObjects& objects,
                               const TableObjects& other, const QString& other_engine) {
  if (other_engine != QLatin1String("mysql") || index.unique || !index.predicate.isEmpty()) {
    return false;
  }
  const auto lowered = [](const QStringList& columns) {
    QStringList lower;
    for (const QString& column : columns) lower.append(column.toLower());
    return lower;
  };
  QStringList columns;
  for (const IndexPart& part : index.parts) {
    if (part.column.isEmpty()) return false;
    columns.append(part.column.toLower());
  }
  const auto same_key = [&](const ForeignKeyDefinition& a, const ForeignKeyDefinition& b) {
    // The referenced columns may go unnamed on one side (the referenced primary key).
    return lowered(a.columns) == lowered(b.columns) &&
           a.referenced_table.compare(b.referenced_table, Qt::CaseInsensitive) == 0;
  };
  const auto starts_with_columns = [&](const QStringList& key) {
    return key.size() >= columns.size() && lowered(key.mid(0, columns.size())) == columns;
  };
  for (const ForeignKeyDefinition& key : objects.foreign_keys) {
    if (lowered(key.columns) != columns) continue;
    const bool other_has_key = std::any_of(
        other.foreign_keys.begin(), other.foreign_keys.end(),
        [&](const ForeignKeyDefinition& other_key) { return same_key(key, other_key); });
    if (!other_has_key) continue;
    if (other.primary_key && starts_with_columns(other.primary_key->columns)) return true;
    for (const IndexDefinition& other_index : other.indexes) {
      QStringList other_columns;
      for (const IndexPart& part : other_index.parts) {
        if (part.column.isEmpty()) break;
        other_columns.append(part.column);
      }
      // An index on exactly these columns is matched as the same index, as it should be.
      if (other_columns.size() > columns.size() && other_index.predicate.isEmpty() &&
          starts_with_columns(other_columns)) {
        return true;
      }
    }
  }
  return false;
}

bool AllowsTheSameLabels(const DataColumn& column, const DataTable& table, const DataColumn& other,
                         const DataTable& other_table) {
  return HeldToLabels(column, table, other) || HeldToLabels(other, other_table, column);
}

QString IndexMethod(const IndexDefinition& index) {
  return index.method.isEmpty() ? QStringLiteral("btree") : index.method;
}

bool IsPatternSearchCompanion(const IndexDefinition& index, const TableObjects& objects) {
  static const QLatin1String kPatternClasses[] = {QLatin1String("text_pattern_ops"),
                                                  QLatin1String("varchar_pattern_ops"),
                                                  QLatin1String("bpchar_pattern_ops")};
  if (index.unique || !index.predicate.isEmpty() || index.parts.empty() ||
      index.origin != IndexDefinition::Origin::kIndex) {
    return false;
  }
  QStringList columns;
  for (const IndexPart& part : index.parts) {
    const bool pattern =
        std::any_of(std::begin(kPatternClasses), std::end(kPatternClasses),
                    [&](QLatin1String name) { return part.operator_class == name; });
    if (part.column.isEmpty() || !pattern) return false;
    columns.append(part.column.toLower());
  }
  const auto same_columns = [&](const QStringList& other) {
    if (other.size() != columns.size()) return false;
    for (qsizetype i = 0; i < other.size(); ++i) {
      if (other[i].toLower() != columns[i]) return false;
    }
    return true;
  };
  if (objects.primary_key && same_columns(objects.primary_key->columns)) return true;
  for (const IndexDefinition& other : objects.indexes) {
    if (&other == &index || other.origin == IndexDefinition::Origin::kExclusionConstraint) continue;
    QStringList other_columns;
    bool plain = true;
    for (const IndexPart& part : other.parts) {
      plain = plain && !part.column.isEmpty() && part.operator_class.isEmpty();
      other_columns.append(part.column);
    }
    if (plain && same_columns(other_columns)) return true;
  }
  return false;
}

namespace {

// The set of `columns`, when each is NOT NULL in `table`; empty otherwise.
QString RequiredColumnSet(QStringList columns, const DataTable& table) {
  if (columns.isEmpty()) return QString();
  for (QString& column : columns) {
    try {
      if (!table.Columns().Item(column).Required()) return QString();
    } catch (const component::Error& error) {
      if (error.number() != kItemNotFound) throw;
      return QString();  // a column the catalog does not list tells nothing
    }
    column = column.toLower();
  }
  columns.sort();
  columns.removeDuplicates();
  return columns.join(u'\x1f');
}

}  // namespace

QString UniqueColumnSet(const PrimaryKeyDefinition& key, const DataTable& table) {
  return RequiredColumnSet(key.columns, table);
}

QString UniqueColumnSet(const IndexDefinition& index, const DataTable& table) {
  if (!index.unique || !index.predicate.isEmpty() ||
      index.origin == IndexDefinition::Origin::kExclusionConstraint) {
    return QString();
  }
  QStringList columns;
  for (const IndexPart& part : index.parts) {
    if (part.column.isEmpty() || !part.operator_class.isEmpty() || !part.collation.isEmpty() ||
        part.prefix_length > 0) {
      return QString();
    }
    columns.append(part.column);
  }
  return RequiredColumnSet(columns, table);
}

QString ColumnsIdentity(const QStringList& columns) {
  QStringList folded;
  for (const QString& column : columns) folded.append(column.toLower());
  return folded.join(u'\x1f');
}

QString IndexIdentity(const IndexDefinition& index, bool same_engine) {
  QStringList identity;
  for (const IndexPart& part : index.parts) {
    QString text = part.column.isEmpty() ? QLatin1String("e:") + ExpressionMeaning(part.expression)
                                         : QLatin1String("c:") + part.column.toLower();
    if (!part.operator_class.isEmpty()) text += QLatin1String("/o:") + part.operator_class;
    if (same_engine && !part.collation.isEmpty()) text += QLatin1String("/k:") + part.collation;
    if (same_engine && part.prefix_length > 0) {
      text += QLatin1String("/p:") + QString::number(part.prefix_length);
    }
    if (!part.exclusion_operator.isEmpty()) text += QLatin1String("/x:") + part.exclusion_operator;
    identity.append(text);
  }
  QString parts = identity.join(u'\x1f');
  if (index.origin != IndexDefinition::Origin::kExclusionConstraint) return parts;
  return QLatin1String("exclude ") + index.method + u'\x1e' + parts;
}

QString ForeignKeyIdentity(const ForeignKeyDefinition& key) {
  return ColumnsIdentity(key.columns) + u'\x1e' + key.referenced_table.toLower() + u'\x1e' +
         ColumnsIdentity(key.referenced_columns);
}

bool IsEngineMadeName(const QString& name) {
  return name.isEmpty() || name.startsWith(QLatin1String("sqlite_autoindex_"));
}

}  // namespace dataaccess
