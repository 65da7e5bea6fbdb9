#include "vantrel/core/fleet_check.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/schema_set.h"
#include "vantrel/core/table_glob.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

using dataaccess::DataConnection;

// Keeps a walk's paragraphs, saying which side the walk started from.
class Collector final : public DifferenceObserver {
 public:
  explicit Collector(std::vector<Difference>* found) : found_(found) {}
  void Found(const Difference& difference) override { found_->push_back(difference); }

 private:
  std::vector<Difference>* found_;
};

QString OneLine(const QString& text) { return dataaccess::MaskPasswords(text).simplified(); }

FleetResult Failed(const QString& name, const QString& why) {
  FleetResult result;
  result.name = name;
  result.failure = OneLine(why);
  return result;
}

FleetResult FailedWith(const QString& name, const component::Error& error) {
  return Failed(name, QStringLiteral("%1 (error %2)").arg(error.description()).arg(error.number()));
}

// How a report names a database: "NAME.DB", or NAME alone when the database has no name to
// give.
QString QualifiedName(const QString& name, const DataConnection& connection) {
  try {
    return VisibleText(name) + u'.' + VisibleText(connection.DatabaseName());
  } catch (const component::Error&) {
    return VisibleText(name);
  }
}

// Both walks of `compare REFERENCE TARGET`, the reference as the primary.
FleetResult CompareWithReference(DataConnection& reference, const QString& reference_name,
                                 DataConnection& target, const QString& name,
                                 const WalkOptions& walk) {
  QStringList include = PatternsMatchingNoTable(walk.include, reference, target);
  QStringList exclude = PatternsMatchingNoTable(walk.exclude, reference, target);
  if (!include.isEmpty() || !exclude.isEmpty()) {
    return FailedWith(name, UnmatchedPatternsError(std::move(include), std::move(exclude)));
  }
  FleetResult result;
  result.name = name;
  TextResultsView view;
  Collector collector(&result.differences);
  WalkOptions options = walk;
  options.observer = &collector;
  result.not_compared =
      CompareBothWays(reference, reference_name, target, name, view, options).not_compared;
  if (result.differences.empty()) {
    result.status = FleetResult::Status::kIdentical;
    return result;
  }
  result.status = FleetResult::Status::kDiffers;
  result.report = view.Text();
  result.reference_qualified_name = QualifiedName(reference_name, reference);
  return result;
}

bool IsPattern(const QString& schema) {
  static const QRegularExpression glob(QStringLiteral("[*?\\[]"));
  return glob.match(schema).hasMatch();
}

bool IsMysql(const QString& connect_string) {
  return connect_string.trimmed().startsWith(QLatin1String("mysql://"), Qt::CaseInsensitive) ||
         connect_string.trimmed().startsWith(QLatin1String("mariadb://"), Qt::CaseInsensitive);
}

// The targets of one server, read through one session.
struct ServerSet {
  QString server;
  std::vector<size_t> targets;             // indexes into the targets
  std::vector<QStringList> matches;        // per target, once listed
  std::map<QString, FleetResult> results;  // by member name
  QString failure;                         // when the set could not be (fully) read
  bool listed = false;
};

class FleetRun {
 public:
  FleetRun(DataConnection& reference, const QString& reference_name,
           const std::vector<DataSource>& targets, const FleetOptions& options)
      : reference_(reference),
        reference_name_(reference_name),
        targets_(targets),
        options_(options),
        singles_(targets.size()) {}

  std::vector<FleetResult> Run() {
    std::vector<std::function<void()>> units;
    std::map<QString, size_t> set_of_server;
    for (size_t i = 0; i < targets_.size(); ++i) {
      const std::optional<dataaccess::SchemaReference> schema =
          dataaccess::SchemaOfConnectString(targets_[i].connect_string);
      if (!schema) {
        units.push_back([this, i] { RunSingle(i); });
        continue;
      }
      if (schema->schema.isEmpty()) {
        units.push_back([this, i] {
          singles_[i] = Failed(targets_[i].display_name,
                               QStringLiteral("the connect string names an empty schema"));
          Finished();
        });
        continue;
      }
      schemas_[i] = schema->schema;
      auto [it, added] = set_of_server.try_emplace(schema->server, sets_.size());
      if (added) sets_.push_back(ServerSet{schema->server, {}, {}, {}, {}, false});
      sets_[it->second].targets.push_back(i);
    }
    for (size_t s = 0; s < sets_.size(); ++s) units.push_back([this, s] { RunSet(sets_[s]); });
    known_ = units.size() - sets_.size();
    for (const ServerSet& set : sets_) known_ += set.targets.size();
    std::atomic<size_t> next{0};
    const auto worker = [&] {
      for (size_t unit = next++; unit < units.size(); unit = next++) units[unit]();
    };
    const size_t threads = std::min(units.size(), static_cast<size_t>(std::max(1, options_.jobs)));
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t) {
      // Where the system gives no more threads (a process limit), fewer do the work; this
      // thread alone if need be.
      try {
        pool.emplace_back(worker);
      } catch (const std::system_error&) {
        break;
      }
    }
    worker();
    for (std::thread& thread : pool) thread.join();
    return Collect();
  }

 private:
  void Finished(size_t more_known = 0, bool one_more_finished = true) {
    const std::lock_guard<std::mutex> lock(progress_mutex_);
    known_ += more_known;
    if (one_more_finished) ++finished_;
    if (options_.progress) options_.progress(finished_, known_);
  }

  void RunSingle(size_t index) {
    const DataSource& source = targets_[index];
    try {
      std::unique_ptr<DataConnection> target =
          dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
              source.database_name, dataaccess::kPromptNever, true, source.connect_string,
              OpenOptionsFor(options_.walk.compared));
      singles_[index] = CompareWithReference(reference_, reference_name_, *target,
                                             source.display_name, options_.walk);
    } catch (const component::Error& error) {
      singles_[index] = FailedWith(source.display_name, error);
    } catch (const std::exception& error) {
      singles_[index] = Failed(source.display_name, QString::fromLocal8Bit(error.what()));
    }
    Finished();
  }

  bool Accepts(const ServerSet& set, const QString& name) const {
    const std::u32string text = GlobText(name);
    for (size_t index : set.targets) {
      const QString& schema = schemas_.at(index);
      if (IsPattern(schema) ? GlobMatches(GlobText(schema), text) : schema == name) return true;
    }
    return false;
  }

  class Receiver final : public dataaccess::SchemaSetReceiver {
   public:
    Receiver(FleetRun& run, ServerSet& set) : run_(run), set_(set) {}
    void Listed(const QStringList& names) override {
      names_ = names;
      size_t members = 0;
      for (size_t index : set_.targets) {
        const QString& schema = run_.schemas_.at(index);
        QStringList matches;
        if (IsPattern(schema)) {
          const std::u32string pattern = GlobText(schema);
          for (const QString& name : names) {
            if (GlobMatches(pattern, GlobText(name))) matches.append(name);
          }
          // A pattern was counted as one target; a pattern matching nothing stays one (failed).
          members += matches.isEmpty() ? 0 : static_cast<size_t>(matches.size()) - 1;
        } else {
          matches.append(schema);
        }
        set_.matches.push_back(matches);
      }
      set_.listed = true;
      run_.Finished(members, false);
    }
    void Read(std::unique_ptr<DataConnection> connection) override {
      const QString& name = names_.at(next_++);
      set_.results[name] = run_.CompareTarget(*connection, name);
      connection.reset();
      // Each member counts once however many targets named it.
      run_.Finished(0, true);
    }

   private:
    FleetRun& run_;
    ServerSet& set_;
    QStringList names_;
    qsizetype next_ = 0;
  };

  FleetResult CompareTarget(DataConnection& target, const QString& name) {
    return CompareWithReference(reference_, reference_name_, target, name, options_.walk);
  }

  void RunSet(ServerSet& set) {
    Receiver receiver(*this, set);
    try {
      dataaccess::ReadSchemaSet(
          set.server, [&](const QString& name) { return Accepts(set, name); }, receiver,
          OpenOptionsFor(options_.walk.compared));
    } catch (const component::Error& error) {
      set.failure = FailedWith(QString(), error).failure;
    } catch (const std::exception& error) {
      set.failure = OneLine(QString::fromLocal8Bit(error.what()));
    }
  }

  std::vector<FleetResult> Collect() {
    std::vector<FleetResult> results;
    std::map<size_t, std::pair<const ServerSet*, size_t>> member_of;  // target -> set, position
    for (const ServerSet& set : sets_) {
      for (size_t k = 0; k < set.targets.size(); ++k) member_of[set.targets[k]] = {&set, k};
    }
    for (size_t i = 0; i < targets_.size(); ++i) {
      const auto member = member_of.find(i);
      if (member == member_of.end()) {
        results.push_back(std::move(singles_[i]));
        continue;
      }
      const ServerSet& set = *member->second.first;
      const QString& schema = schemas_.at(i);
      const QString what =
          IsMysql(set.server) ? QStringLiteral("database") : QStringLiteral("schema");
      if (!set.listed) {
        results.push_back(
            Failed(IsPattern(schema) ? targets_[i].display_name : schema, set.failure));
        continue;
      }
      const QStringList& matches = set.matches[member->second.second];
      if (matches.isEmpty()) {
        results.push_back(Failed(targets_[i].display_name,
                                 QStringLiteral("no %1 matches '%2'").arg(what, schema)));
        continue;
      }
      for (const QString& name : matches) {
        const auto found = set.results.find(name);
        if (found != set.results.end()) {
          results.push_back(found->second);
        } else if (!set.failure.isEmpty()) {
          results.push_back(Failed(name, set.failure));
        } else {
          results.push_back(Failed(
              name, QStringLiteral("the server has no %1 '%2'").arg(what, VisibleText(name))));
        }
      }
    }
    return results;
  }

  DataConnection& reference_;
  const QString& reference_name_;
  const std::vector<DataSource>& targets_;
  const FleetOptions& options_;
  std::vector<FleetResult> singles_;
  std::map<size_t, QString> schemas_;  // the schema each set member names, by target
  std::vector<ServerSet> sets_;
  std::mutex progress_mutex_;
  size_t finished_ = 0;
  size_t known_ = 0;
};

}  // namespace

bool IsServerPattern(const QString& connect_string) {
  const std::optional<dataaccess::SchemaReference> schema =
      dataaccess::SchemaOfConnectString(connect_string);
  return schema && IsPattern(schema->schema);
}

std::vector<FleetResult> RunFleetCheck(DataConnection& reference, const QString& reference_name,
                                       const std::vector<DataSource>& targets,
                                       const FleetOptions& options) {
  return FleetRun(reference, reference_name, targets, options).Run();
}

}  // namespace vantrel
