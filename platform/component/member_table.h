// MemberTable: the name-to-member map with which a component class answers Dispatch::Invoke.
//
// A class builds one static table of {name, kind, handler} rows and forwards Invoke to it; each
// handler calls the class's own interface function, so the call by name and the call through
// the interface run the same code. Lookup follows the rules of dispatch.h and throws 438, with
// the class's name as source, when no row fits.
#ifndef VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_
#define VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_

#include <QString>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "platform/component/arguments.h"
#include "platform/component/dispatch.h"
#include "platform/component/error.h"

namespace component {

template <class T>
class MemberTable {
 public:
  using Handler = Variant (*)(T& self, const Arguments& arguments);
  struct Member {
    const char* name;
    InvokeKind kind;
    Handler handler;
  };

  MemberTable(std::initializer_list<Member> members) : members_(members) {}

  Variant Invoke(T& self, const QString& name, InvokeKind kind,
                 const std::vector<Variant>& values) const {
    const QString& source = self.Identity().prog_id;
    for (const Member& member : members_) {
      if (!Fits(member.kind, kind)) continue;
      if (name.compare(QLatin1String(member.name), Qt::CaseInsensitive) != 0) continue;
      return member.handler(self, Arguments(values, source));
    }
    throw Error(kObjectDoesNotSupportMember, source);
  }

 private:
  static bool Fits(InvokeKind offered, InvokeKind asked) {
    if (asked == InvokeKind::kPropertyPut) return offered == InvokeKind::kPropertyPut;
    return offered != InvokeKind::kPropertyPut;
  }

  std::vector<Member> members_;
};

// Handlers for a property that a getter and a setter of the class carry, for rows such as
//   using P = Properties<AboutControl>;
//   {"ProductName", InvokeKind::kPropertyGet, &P::Get<&AboutControl::ProductName>},
//   {"ProductName", InvokeKind::kPropertyPut, &P::Put<&AboutControl::SetProductName>},
// A setter takes a bool or a text.
template <class T>
struct Properties {
  template <auto Getter>
  static Variant Get(T& self, const Arguments& arguments) {
    arguments.ExpectCount(0, 0);
    return Variant((self.*Getter)());
  }

  template <auto Setter>
  static Variant Put(T& self, const Arguments& arguments) {
    arguments.ExpectCount(1, 1);
    if constexpr (std::is_invocable_v<decltype(Setter), T&, bool> &&
                  !std::is_invocable_v<decltype(Setter), T&, QString>) {
      (self.*Setter)(arguments.Boolean(0));
    } else {
      (self.*Setter)(arguments.Text(0));
    }
    return Variant();
  }
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_
