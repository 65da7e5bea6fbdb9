// MemberTable: the name-to-member map with which a component class answers Dispatch::Invoke.
//
// A class builds one static table of {name, kind, handler} rows and forwards Invoke to it; each
// handler calls the class's own interface function, so the call by name and the call through
// the interface run the same code. Lookup follows the rules of dispatch.h and throws 438, with
// the class's name as source, when no row fits.
#ifndef VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_
#define VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_

#include <QString>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>
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

// The handler for a method row, derived from the member function's signature, for rows such as
//   using M = Methods<common>;
//   {"GetValueINI", InvokeKind::kMethod, &M::Call<&common::GetValueINI>},
// The call takes as many arguments as the function has parameters; `required` fewer makes the
// last ones optional (a missing one is the parameter's empty value, "" for a text). Each argument
// converts by its parameter's type: a text, a 32-bit number, a bool, an enumeration (from a
// number) or the Variant as it came. A QString& parameter is given and taken back: a method that
// returns nothing returns its value. A result converts to a Variant; a unique_ptr to an object,
// to the object. With NullText::kEmpty a Null argument for a text is "" instead of error 94.
enum class NullText { kError, kEmpty };

namespace member_detail {

template <class F>
struct Signature;
template <class R, class C, class... A>
struct Signature<R (C::*)(A...)> {
  using Result = R;
  using Parameters = std::tuple<A...>;
};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) noexcept> : Signature<R (C::*)(A...)> {};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) const> : Signature<R (C::*)(A...)> {};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) const noexcept> : Signature<R (C::*)(A...)> {};

template <class P, NullText nulls>
std::decay_t<P> Argument(const Arguments& arguments, size_t index) {
  using Value = std::decay_t<P>;
  if (index >= arguments.count()) return Value();
  if constexpr (std::is_same_v<Value, QString>) {
    if (nulls == NullText::kEmpty && arguments.At(index).IsNull()) return QString();
    return arguments.Text(index);
  } else if constexpr (std::is_same_v<Value, bool>) {
    return arguments.Boolean(index);
  } else if constexpr (std::is_same_v<Value, int32_t>) {
    return arguments.Long(index);
  } else if constexpr (std::is_enum_v<Value>) {
    return static_cast<Value>(arguments.Long(index));
  } else {
    static_assert(std::is_same_v<Value, Variant>, "no conversion from a Variant argument");
    return arguments.At(index);
  }
}

template <class R>
Variant Result(R&& result) {
  if constexpr (std::is_constructible_v<Variant, R>) {
    return Variant(std::forward<R>(result));
  } else {
    return Variant(std::shared_ptr<Dispatch>(std::forward<R>(result)));
  }
}

// The index of the first QString& parameter, or the count when there is none.
template <class Tuple, size_t I = 0>
constexpr size_t FirstTextReference() {
  if constexpr (I < std::tuple_size_v<Tuple>) {
    if constexpr (!std::is_same_v<std::tuple_element_t<I, Tuple>, QString&>) {
      return FirstTextReference<Tuple, I + 1>();
    }
  }
  return I;
}

}  // namespace member_detail

template <class T>
struct Methods {
  template <auto Member, size_t required = SIZE_MAX, NullText nulls = NullText::kError>
  static Variant Call(T& self, const Arguments& arguments) {
    using Parameters = typename member_detail::Signature<decltype(Member)>::Parameters;
    constexpr size_t count = std::tuple_size_v<Parameters>;
    arguments.ExpectCount(required < count ? required : count, count);
    return Apply<Member, Parameters, nulls>(self, arguments, std::make_index_sequence<count>());
  }

 private:
  template <auto Member, class Parameters, NullText nulls, size_t... I>
  static Variant Apply(T& self, const Arguments& arguments, std::index_sequence<I...>) {
    (void)arguments;  // a method without parameters reads none
    std::tuple<std::decay_t<std::tuple_element_t<I, Parameters>>...> values{
        member_detail::Argument<std::tuple_element_t<I, Parameters>, nulls>(arguments, I)...};
    using R = typename member_detail::Signature<decltype(Member)>::Result;
    if constexpr (std::is_void_v<R>) {
      (self.*Member)(std::get<I>(values)...);
      constexpr size_t given_back = member_detail::FirstTextReference<Parameters>();
      if constexpr (given_back < sizeof...(I)) {
        return Variant(std::get<given_back>(values));
      } else {
        return Variant();
      }
    } else {
      return member_detail::Result((self.*Member)(std::get<I>(values)...));
    }
  }
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_MEMBER_TABLE_H_
