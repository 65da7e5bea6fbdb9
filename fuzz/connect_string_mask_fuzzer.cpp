// MaskPasswords on any text: it never fails, masking what it masked changes nothing, and a
// password written in a form it knows is hidden whatever text stands around it.
//
// The input gives the text before and after the password, the form and the password. The
// password is spelled in Greek small letters, and those are taken out of the text around it, so
// that a Greek letter left after masking is a piece of the password that got through.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <algorithm>
#include <array>
#include <iterator>

#include "dataaccess/connect_string_mask.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr char16_t kFirstLetter = 0x03B1;  // alpha
constexpr char16_t kLastLetter = 0x03C9;   // omega

bool IsPasswordLetter(QChar c) { return c.unicode() >= kFirstLetter && c.unicode() <= kLastLetter; }

struct PasswordForm {
  const char* before;  // from the keyword or the URI up to the password
  const char* after;   // what closes the password
  // Pieces besides letters that the password may hold in this form.
  std::array<const char*, 5> pieces;
  // Whether the password stays a password whatever the text around it. A quoted, braced or
  // escaped value does only where that text has no keyword, quote, brace or escape of its own:
  // "pwd=' password='a;b'" quotes " password=" and leaves "b'" outside any value.
  bool in_any_text;
};

constexpr PasswordForm kForms[] = {
    {"password=", "", {}, true},
    {"sslpassword = ", "", {}, true},
    {"PWD=", "", {}, true},
    {"postgresql://ann:", "@db.example.org/sales", {}, true},
    {"postgresql://db/sales?user=ann&password=", "", {}, true},
    {"mysql://ann:", "@127.0.0.1:3306/db", {":", "@", "/"}, true},
    {"password='", "'", {" ", ";", "\\'", "\\\\", "\\\n"}, false},
    {"password=", "", {"\\ ", "\\'", "\\\\", "\\\n"}, false},
    {"Pwd={", "}", {" ", ";", "}}", "="}, false},
    {"pwd=\"", "\"", {" ", ";", "\\\""}, false},
};

constexpr const char* kSeparators[] = {" ", ";", "&", "\t"};

QString Password(const std::string& bytes, const PasswordForm& form) {
  int pieces = 0;
  while (pieces < static_cast<int>(form.pieces.size()) && form.pieces[pieces]) ++pieces;
  constexpr int letters = kLastLetter - kFirstLetter + 1;
  QString password{QChar(kFirstLetter)};
  for (const unsigned char byte : bytes) {
    const int choice = byte % (letters + pieces);
    if (choice < letters) {
      password += QChar(static_cast<char16_t>(kFirstLetter + choice));
    } else {
      password += QString::fromLatin1(form.pieces[choice - letters]);
    }
  }
  return password;
}

QString WithoutPasswordLetters(const std::string& bytes) {
  QString text = QString::fromStdString(bytes);
  text.removeIf(IsPasswordLetter);
  return text;
}

bool HasOwnSyntax(const QString& text) {
  for (const QChar c : text) {
    if (QStringView(u"='\"{}\\").contains(c)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const PasswordForm& form = kForms[input.ConsumeIntegralInRange<size_t>(0, std::size(kForms) - 1)];
  const char* separator =
      kSeparators[input.ConsumeIntegralInRange<size_t>(0, std::size(kSeparators) - 1)];
  const QString before = WithoutPasswordLetters(input.ConsumeRandomLengthString());
  const QString password = Password(input.ConsumeRandomLengthString(64), form);
  const QString after = WithoutPasswordLetters(input.ConsumeRemainingBytesAsString());

  const QString text = before + QLatin1String(separator) + QLatin1String(form.before) + password +
                       QLatin1String(form.after) + after;
  const QString masked = dataaccess::MaskPasswords(text);
  fuzz::Require(dataaccess::MaskPasswords(masked) == masked, "masking twice changes nothing",
                text + QStringLiteral("\n -> ") + masked + QStringLiteral("\n -> ") +
                    dataaccess::MaskPasswords(masked));
  if (form.in_any_text || !HasOwnSyntax(before + after)) {
    fuzz::Require(std::none_of(masked.begin(), masked.end(), IsPasswordLetter),
                  "no piece of the password is left", text + QStringLiteral("\n -> ") + masked);
  }
  return 0;
}
