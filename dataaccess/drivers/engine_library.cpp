#include "dataaccess/drivers/engine_library.h"

#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

#include "dataaccess/errors.h"
#include "platform/component/error.h"
#include "platform/component/library_folder.h"

namespace dataaccess {
namespace {

// The folder of the data-access library itself, where the engine libraries are built and
// installed beside it.
QString OwnFolder() {
  return component::FolderOfLibraryHolding(reinterpret_cast<const void*>(&ResolveInEngineLibrary));
}

// The engine libraries loaded so far, kept for the life of the process, and the loads started
// ahead of need.
class LoadedEngines {
 public:
  static LoadedEngines& Instance() {
    static LoadedEngines loaded;
    return loaded;
  }
  // A load ahead that is still running when the process ends finishes first: it uses the handles.
  // By then a client library's exit handlers may have run; programs wait before they exit
  // (WaitForAhead).
  ~LoadedEngines() { WaitForAhead(); }

  void WaitForAhead() {
    const std::lock_guard<std::mutex> lock(ahead_mutex_);
    for (auto& entry : ahead_) {
      if (entry.second.valid()) entry.second.wait();
    }
  }

  void* Resolve(const EngineLibrary& library, const char* symbol) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const QString path = OwnFolder() + u'/' + QLatin1String(library.file);
    void*& handle = handles_[path];
    QString failure;
    if (!handle) {
      handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) failure = QString::fromLocal8Bit(dlerror());
    }
    void* address = handle ? dlsym(handle, symbol) : nullptr;
    if (handle && !address) failure = QString::fromLocal8Bit(dlerror());
    if (!address) {
      // The usual cause is a missing client library, which dlerror names; a missing file of
      // Vantrel's own means an incomplete installation.
      throw component::Error(
          kDriverMissing, ErrorSource(),
          QStringLiteral("Vantrel's %1 driver cannot be loaded from '%2': %3. Install the %1 "
                         "client library (on Debian: apt-get install %4), or reinstall Vantrel "
                         "if that file is missing")
              .arg(QLatin1String(library.engine), path, failure, QLatin1String(library.client)));
    }
    return address;
  }

  // The engine the library's entry returns; throws as Resolve does.
  const ServerEngine& Engine(const EngineLibrary& library) {
    using Entry = const ServerEngine* (*)();
    return *reinterpret_cast<Entry>(Resolve(library, library.entry))();
  }

  void LoadAhead(const EngineLibrary& library) {
    const std::lock_guard<std::mutex> lock(ahead_mutex_);
    if (ahead_.count(library.file) != 0) return;
    const auto load = [this, library] {
      try {
        Engine(library);
      } catch (const component::Error&) {
        // The connection that needs the library reports it.
      }
    };
    try {
      ahead_.emplace(library.file, std::async(std::launch::async, load));
    } catch (const std::system_error&) {
      // No thread to spare: the library loads when a connection needs it.
    }
  }

 private:
  LoadedEngines() = default;

  std::mutex mutex_;
  QHash<QString, void*> handles_;
  std::mutex ahead_mutex_;
  std::map<std::string, std::future<void>> ahead_;  // by library file
};

}  // namespace

void* ResolveInEngineLibrary(const EngineLibrary& library, const char* symbol) {
  return LoadedEngines::Instance().Resolve(library, symbol);
}

void LoadEngineLibraryAhead(const EngineLibrary& library) {
  LoadedEngines::Instance().LoadAhead(library);
}

void WaitForEngineLibrariesLoadedAhead() noexcept {
  try {
    LoadedEngines::Instance().WaitForAhead();
  } catch (const std::system_error&) {
    // The lock failed: the loads finish on their own, as they did before this wait existed.
  }
}

const ServerEngine& EngineLibraryDriver::Engine() const {
  return LoadedEngines::Instance().Engine(library_);
}

bool EngineLibraryDriver::Accepts(const ConnectRequest& request) const {
  if (!might_accept_(request.connect_string)) return false;
  try {
    return Engine().accepts(request.connect_string);
  } catch (const component::Error&) {
    return true;  // Connect then says that the driver is missing
  }
}

void EngineLibraryDriver::Prepare(const QString& connect_string) const noexcept {
  if (might_accept_(connect_string)) LoadEngineLibraryAhead(library_);
}

CatalogRead EngineLibraryDriver::Connect(const ConnectRequest& request) const {
  return ServerDriver(Engine()).Connect(request);
}

}  // namespace dataaccess
