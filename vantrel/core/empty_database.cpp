#include "vantrel/core/empty_database.h"

#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;

class NoTables final : public dx::Enumerator<dx::DataTable> {
 public:
  dx::DataTable* Next() override { return nullptr; }
};

class EmptyTables final : public dx::TableCollection {
 public:
  std::unique_ptr<dx::Enumerator<dx::DataTable>> Enumerate() const override {
    return std::make_unique<NoTables>();
  }
  dx::DataTable& Item(const QString& name) const override {
    throw component::Error(dx::kItemNotFound, dx::ErrorSource(),
                           QStringLiteral("the empty database has no table '%1'").arg(name));
  }
};

class EmptyConnection final : public dx::DataConnection {
 public:
  EmptyConnection(QString engine, const dx::DataConnection& like)
      : engine_(std::move(engine)), kinds_(like.ObjectKinds()) {
    if (const dx::DatabaseObjects* objects = like.Objects()) {
      objects_.default_collation = objects->default_collation;
      objects_.default_character_set = objects->default_character_set;
      objects_.default_collation_locale = objects->default_collation_locale;
      objects_.default_collation_deterministic = objects->default_collation_deterministic;
    }
  }
  QString ConnectString() const override { return QString(); }
  QString DatabaseName() const override { return QStringLiteral("empty"); }
  QString Engine() const override { return engine_; }
  int ObjectKinds() const override { return kinds_; }
  const dx::DatabaseObjects* Objects() const override { return &objects_; }
  dx::TableCollection& Tables() const override { return tables_; }
  void Close() override {}

 private:
  QString engine_;
  int kinds_;
  dx::DatabaseObjects objects_;
  mutable EmptyTables tables_;
};

}  // namespace

std::unique_ptr<dx::DataConnection> EmptyDatabase(const QString& engine,
                                                  const dx::DataConnection& like) {
  return std::make_unique<EmptyConnection>(engine, like);
}

}  // namespace vantrel
