// Class registration and creation by ProgID: in-process classes, component
// libraries' class tables, and the registration file that finds a library.
#include "runtime/registry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <unordered_map>

#include "runtime/com_error.h"
#include "runtime/dictionary.h"

namespace rt {

namespace {

// ProgIDs and CLSIDs are ASCII: folding ASCII letters is enough.
std::string Fold(std::string_view s) {
  std::string folded(s);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

// One line of the registration file: "ProgID<TAB>CLSID<TAB>library path".
struct FileEntry {
  std::string progId;
  std::string clsid;
  std::string library;
};

bool ParseLine(const std::string& line, FileEntry& entry) {
  size_t tab1 = line.find('\t');
  if (tab1 == std::string::npos) return false;
  size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 == std::string::npos) return false;
  entry.progId = line.substr(0, tab1);
  entry.clsid = line.substr(tab1 + 1, tab2 - tab1 - 1);
  entry.library = line.substr(tab2 + 1);
  if (!entry.library.empty() && entry.library.back() == '\r') entry.library.pop_back();
  return !entry.progId.empty() && !entry.library.empty();
}

std::string FormatLine(const FileEntry& entry) {
  return entry.progId + "\t" + entry.clsid + "\t" + entry.library;
}

using GetClassObjectFn = int32_t (*)(const char*, const ClassInfo**);

// The process's classes: those registered in-process, and those found
// through the registration file. Shared by every thread.
class Registry {
 public:
  void Add(ClassInfo info) {
    std::lock_guard lock(mutex_);
    auto shared = std::make_shared<const ClassInfo>(std::move(info));
    for (const std::string& name : {shared->progId, shared->clsid}) {
      if (name.empty()) continue;
      auto& slot = inProcess_[Fold(name)];
      // A replaced class stays alive: FindClass handed out references to it.
      if (slot) retired_.push_back(std::move(slot));
      slot = shared;
    }
  }

  const ClassInfo& Find(std::string_view name) {
    std::string key = Fold(name);
    std::lock_guard lock(mutex_);
    if (auto it = inProcess_.find(key); it != inProcess_.end()) return *it->second;

    std::string path = RegistrationFilePath();
    if (path != filePath_) {
      filePath_ = path;
      fileLoaded_ = false;
      fileStamp_.reset();
      fileEntries_.clear();
      resolved_.clear();
    }
    if (auto it = resolved_.find(key); it != resolved_.end()) return *it->second;
    Refresh();
    auto entry = fileEntries_.find(key);
    if (entry == fileEntries_.end()) {
      Raise(hr::kInvalidClassString, "", "Invalid class string: " + std::string(name));
    }
    const ClassInfo* info = Load(entry->second);
    resolved_[key] = info;
    return *info;
  }

 private:
  // The file's identity and age: a rewrite renames a new file into place.
  struct Stamp {
    dev_t dev;
    ino_t ino;
    off_t size;
    int64_t mtimeNs;
    bool operator==(const Stamp&) const = default;
  };

  void Refresh() {
    struct stat st {};
    std::optional<Stamp> stamp;
    if (::stat(filePath_.c_str(), &st) == 0) {
      stamp = Stamp{st.st_dev, st.st_ino, st.st_size,
                    static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    if (fileLoaded_ && stamp == fileStamp_) return;
    fileLoaded_ = true;
    fileStamp_ = stamp;
    fileEntries_.clear();
    resolved_.clear();
    std::ifstream in(filePath_);
    std::string line;
    FileEntry entry;
    while (std::getline(in, line)) {
      if (!ParseLine(line, entry)) continue;
      fileEntries_[Fold(entry.progId)] = entry;
      if (!entry.clsid.empty()) fileEntries_[Fold(entry.clsid)] = entry;
    }
  }

  const ClassInfo* Load(const FileEntry& entry) {
    void*& handle = libraries_[entry.library];
    if (!handle) handle = ::dlopen(entry.library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = ::dlerror();
      Raise(hr::kClassNotAvailable, "",
            "Cannot load the library of " + entry.progId + ": " + (why ? why : entry.library));
    }
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    const ClassInfo* info = nullptr;
    if (!getClassObject || getClassObject(entry.progId.c_str(), &info) != hr::kOk || !info) {
      Raise(hr::kClassNotAvailable, "",
            "ClassFactory cannot supply requested class: " + entry.progId);
    }
    return info;
  }

  // Recursive: a library's class object may create objects while it loads.
  std::recursive_mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<const ClassInfo>> inProcess_;
  std::vector<std::shared_ptr<const ClassInfo>> retired_;
  std::string filePath_;
  bool fileLoaded_ = false;
  std::optional<Stamp> fileStamp_;
  std::unordered_map<std::string, FileEntry> fileEntries_;  // by folded ProgID and CLSID
  std::unordered_map<std::string, const ClassInfo*> resolved_;
  std::unordered_map<std::string, void*> libraries_;  // never unloaded
};

// Built-in classes are registered before anything can be created.
Registry& TheRegistry() {
  static Registry* registry = [] {
    auto* r = new Registry;  // never destroyed: libraries hold its classes to the end
    r->Add(ClassInfo{"Scripting.Dictionary", "", TransactionAttribute::None,
                     [] { return ObjectPtr(NewDictionary()); }});
    return r;
  }();
  return *registry;
}

// Holds an exclusive lock on the registration file's lock file: the file
// itself is replaced by each rewrite, so it cannot carry the lock.
class FileLock {
 public:
  explicit FileLock(const std::string& path)
      : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        int error = errno;
        ::close(fd_);
        throw std::runtime_error("cannot lock " + path + ": " + std::strerror(error));
      }
    }
  }
  ~FileLock() { ::close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

// Rewrites the registration file: drops the lines `drop` selects, appends
// `add`. Answers 0, or 0x80004005 when the file cannot be rewritten.
int32_t Rewrite(const std::function<bool(const FileEntry&)>& drop,
                const std::vector<FileEntry>& add) {
  std::string path = RegistrationFilePath();
  try {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    FileLock lock(path + ".lock");

    std::ostringstream text;
    {
      std::ifstream in(path);
      std::string line;
      FileEntry entry;
      while (std::getline(in, line)) {
        if (line.empty() || (ParseLine(line, entry) && drop(entry))) continue;
        text << line << '\n';
      }
    }
    for (const FileEntry& entry : add) text << FormatLine(entry) << '\n';

    std::string temp = path + ".tmp";
    {
      std::ofstream out(temp, std::ios::trunc);
      out << text.str();
      out.flush();
      if (!out) throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
      throw std::runtime_error("cannot rename " + temp + ": " + std::strerror(errno));
    }
    return hr::kOk;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "component registration: %s\n", e.what());
    return hr::kFail;
  }
}

}  // namespace

// --- Class tables ------------------------------------------------------------------

ClassTable::ClassTable(std::vector<ClassInfo> classes) : classes_(std::move(classes)) {
  for (ClassInfo& info : classes_) {
    if (info.create) info.create = CountedFactory(std::move(info.create), live_.get());
  }
}

int32_t ClassTable::GetClassObject(const char* progIdOrClsid, const ClassInfo** out) const {
  if (!out) return hr::kFail;
  *out = nullptr;
  if (!progIdOrClsid) return hr::kClassNotAvailable;
  for (const ClassInfo& info : classes_) {
    if (SameName(info.progId, progIdOrClsid) ||
        (!info.clsid.empty() && SameName(info.clsid, progIdOrClsid))) {
      *out = &info;
      return hr::kOk;
    }
  }
  return hr::kClassNotAvailable;
}

int32_t ClassTable::CanUnloadNow() const {
  return live_->load() == 0 ? 0 : 1;
}

int32_t ClassTable::Register(const std::string& libraryPath) const {
  std::vector<FileEntry> add;
  for (const ClassInfo& info : classes_) add.push_back({info.progId, info.clsid, libraryPath});
  return Rewrite(
      [&](const FileEntry& line) {
        if (line.library == libraryPath) return true;
        for (const ClassInfo& info : classes_) {
          if (SameName(info.progId, line.progId)) return true;
        }
        return false;
      },
      add);
}

int32_t ClassTable::Unregister() const {
  return Rewrite(
      [&](const FileEntry& line) {
        for (const ClassInfo& info : classes_) {
          if (SameName(info.progId, line.progId)) return true;
        }
        return false;
      },
      {});
}

std::function<ObjectPtr()> CountedFactory(std::function<ObjectPtr()> make,
                                          std::atomic<int>* counter) {
  return [make = std::move(make), counter]() -> ObjectPtr {
    ObjectPtr inner = make();
    if (!inner) return inner;
    counter->fetch_add(1);
    Object* raw = inner.get();
    ObjectPtr handle(raw, [inner = std::move(inner), counter](Object*) mutable noexcept {
      inner.reset();
      counter->fetch_sub(1);
    });
    ObjectAccess::SetHandle(*raw, handle);
    return handle;
  };
}

// --- Files -------------------------------------------------------------------------

std::string LibraryPathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname) return {};
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(info.dli_fname, error);
  return error ? std::string(info.dli_fname) : path.lexically_normal().string();
}

std::string RegistrationFilePath() {
  if (const char* env = std::getenv("SUITE_REGISTRY"); env && *env) return env;
  static const std::string beside = [] {
    std::filesystem::path lib = LibraryPathOf(reinterpret_cast<const void*>(&RegistrationFilePath));
    return (lib.parent_path() / "components.reg").string();
  }();
  return beside;
}

// --- Creation ----------------------------------------------------------------------

void RegisterClass(ClassInfo info) {
  TheRegistry().Add(std::move(info));
}

const ClassInfo& FindClass(std::string_view progIdOrClsid) {
  return TheRegistry().Find(progIdOrClsid);
}

ObjectPtr CreateObject(std::string_view progIdOrClsid) {
  const ClassInfo& info = FindClass(progIdOrClsid);
  ObjectPtr object = info.create ? info.create() : nullptr;
  if (!object) Raise(hr::kClassNotAvailable, "", "Class not available: " + info.progId);
  ObjectAccess::SetProgId(*object, info.progId);
  return object;
}

}  // namespace rt
