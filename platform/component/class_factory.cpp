#include "platform/component/class_factory.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/component/error.h"

namespace component {
namespace {

QString Source() { return QStringLiteral("ClassFactory"); }

struct Entry {
  ClassIdentity identity;
  Factory factory;
};

// Function-local so that registrars of libraries linked into the program find it constructed,
// whatever the order of static initialisation.
struct Registry {
  std::mutex mutex;
  std::vector<Entry> entries;
  QStringList library_names;  // what programs and libraries declare, see AddComponentLibraryName
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: objects may outlive main()
  return *registry;
}

std::optional<QUuid> AsClassId(const QString& text) {
  if (!text.startsWith(u'{')) return std::nullopt;
  const QUuid id(text);
  if (id.isNull()) return std::nullopt;
  return id;
}

// The factory of the class, or an empty one; the caller holds the registry's lock.
Factory FindLocked(const Registry& registry, const QString& name_or_class_id) {
  const std::optional<QUuid> class_id = AsClassId(name_or_class_id);
  for (const Entry& entry : registry.entries) {
    const bool match =
        class_id ? entry.identity.class_id == *class_id
                 : entry.identity.prog_id.compare(name_or_class_id, Qt::CaseInsensitive) == 0;
    if (match) return entry.factory;
  }
  return {};
}

Factory Find(const QString& name_or_class_id) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return FindLocked(registry, name_or_class_id);
}

QString ExecutableFolder() {
  const QFileInfo executable(QStringLiteral("/proc/self/exe"));
  return QFileInfo(executable.symLinkTarget()).absolutePath();
}

QString LibraryFileName(const QString& library) {
  return QStringLiteral("lib%1.so").arg(library.toLower());
}

std::optional<QString> FindLibrary(const QString& library) {
  for (const QString& folder : ComponentSearchFolders()) {
    const QString path = QDir(folder).filePath(LibraryFileName(library));
    if (QFileInfo(path).isFile()) return path;
  }
  return std::nullopt;
}

// Loads the library at `path` for good; registrars run while it loads. Throws 48 on failure.
void LoadLibrary(const QString& path, const QString& wanted) {
  // Keep the handle open for the life of the process: dlclose would unload code that objects
  // created from the library still run.
  if (dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL) != nullptr) return;
  const char* reason = dlerror();
  throw Error(kErrorLoadingLibrary, Source(),
              QStringLiteral("%1: %2 cannot be loaded for %3: %4")
                  .arg(StandardDescription(kErrorLoadingLibrary), path, wanted,
                       QString::fromLocal8Bit(reason ? reason : "unknown reason")));
}

Error CannotCreate(const QString& wanted, const QString& detail) {
  return Error(
      kCannotCreateObject, Source(),
      QStringLiteral("%1: %2 (%3)").arg(StandardDescription(kCannotCreateObject), wanted, detail));
}

Factory LoadByName(const QString& name) {
  const qsizetype dot = name.indexOf(u'.');
  if (dot <= 0) throw CannotCreate(name, QStringLiteral("no class of that name is registered"));
  const QString library = name.left(dot);
  const std::optional<QString> path = FindLibrary(library);
  if (!path) {
    throw CannotCreate(name, QStringLiteral("%1 not found in %2")
                                 .arg(LibraryFileName(library),
                                      ComponentSearchFolders().join(QStringLiteral(", "))));
  }
  LoadLibrary(*path, name);
  if (Factory factory = Find(name)) return factory;
  throw CannotCreate(name, QStringLiteral("%1 does not register it").arg(*path));
}

Factory LoadByClassId(const QString& class_id) {
  for (const QString& library : ComponentLibraryNames()) {
    const std::optional<QString> path = FindLibrary(library);
    if (!path) continue;
    try {
      LoadLibrary(*path, class_id);
    } catch (const Error&) {
      continue;  // another library may still hold the class
    }
    if (Factory factory = Find(class_id)) return factory;
  }
  throw CannotCreate(class_id, QStringLiteral("no component library registers it"));
}

}  // namespace

bool RegisterClass(const ClassIdentity& identity, Factory factory) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const Entry& entry : registry.entries) {
    if (entry.identity.class_id == identity.class_id ||
        entry.identity.prog_id.compare(identity.prog_id, Qt::CaseInsensitive) == 0) {
      return false;
    }
  }
  registry.entries.push_back({identity, std::move(factory)});
  return true;
}

ClassRegistrar::ClassRegistrar(const ClassIdentity& identity, Factory factory) {
  RegisterClass(identity, std::move(factory));
}

std::shared_ptr<Dispatch> CreateObject(const QString& name_or_class_id) {
  Factory factory = Find(name_or_class_id);
  if (!factory) {
    factory = AsClassId(name_or_class_id) ? LoadByClassId(name_or_class_id)
                                          : LoadByName(name_or_class_id);
  }
  std::shared_ptr<Dispatch> object = factory();
  if (!object) throw CannotCreate(name_or_class_id, QStringLiteral("its factory made nothing"));
  return object;
}

bool IsClassRegistered(const QString& name_or_class_id) {
  return static_cast<bool>(Find(name_or_class_id));
}

QStringList ComponentLibraryNames() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.library_names;
}

void AddComponentLibraryName(const QString& name) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (!registry.library_names.contains(name)) registry.library_names.append(name);
}

QStringList ComponentSearchFolders() {
  QStringList folders;
  const QString override_path = qEnvironmentVariable("VANTREL_COMPONENT_PATH");
  for (const QString& folder : override_path.split(u':', Qt::SkipEmptyParts)) {
    folders.append(folder);
  }
  const QString executable_folder = ExecutableFolder();
  folders.append(executable_folder);
  folders.append(QDir::cleanPath(executable_folder + QStringLiteral("/../lib")));
  folders.append(QDir::cleanPath(executable_folder + QStringLiteral("/../lib/vantrel")));
  return folders;
}

}  // namespace component
