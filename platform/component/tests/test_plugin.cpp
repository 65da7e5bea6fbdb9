// libtestplug.so: one class, registered while the library loads.
#include <memory>

#include "platform/component/class_factory.h"
#include "platform/component/member_table.h"
#include "platform/component/tests/echo.h"

namespace component_test {
namespace {

using component::Arguments;
using component::InvokeKind;
using component::Variant;

class Echo : public _Echo {
 public:
  static const component::ClassIdentity& ClassInfo() {
    static const component::ClassIdentity identity{
        QStringLiteral("TESTPLUG.Echo"), QUuid("{0D9B0C52-3C55-4C0B-9C53-2A4E1A7C0001}"),
        QStringLiteral("_Echo"), QUuid("{0D9B0C52-3C55-4C0B-9C53-2A4E1A7C0002}")};
    return identity;
  }
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  QString Join(const QString& left, const QString& right, const QString& separator) override {
    QString out = left;
    for (int32_t i = 0; i < times_; ++i) out += separator + right;
    return out;
  }
  void SetTimes(int32_t times) override { times_ = times; }
  int32_t Times() const override { return times_; }

  Variant Invoke(const QString& member, InvokeKind kind,
                 const std::vector<Variant>& arguments) override {
    static const component::MemberTable<Echo> table{
        {"Join", InvokeKind::kMethod,
         [](Echo& self, const Arguments& a) -> Variant {
           a.ExpectCount(2, 3);
           return self.Join(a.Text(0), a.Text(1), a.OptionalText(2, QStringLiteral(",")));
         }},
        {"Times", InvokeKind::kPropertyPut,
         [](Echo& self, const Arguments& a) -> Variant {
           a.ExpectCount(1, 1);
           self.SetTimes(a.Long(0));
           return Variant();
         }},
        {"Times", InvokeKind::kPropertyGet,
         [](Echo& self, const Arguments& a) -> Variant {
           a.ExpectCount(0, 0);
           return self.Times();
         }},
    };
    return table.Invoke(*this, member, kind, arguments);
  }

 private:
  int32_t times_ = 1;
};

const component::ClassRegistrar kRegistrar(Echo::ClassInfo(),
                                           [] { return std::make_shared<Echo>(); });

}  // namespace
}  // namespace component_test
