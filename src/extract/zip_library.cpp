// libzip is loaded when the first DOCX package is opened, not when the
// program starts: Debian's libzip brings libcrypto, libbz2 and liblzma with
// it, which would add about 60 % to the start of every command. The
// functions below are the libzip functions this program calls (by their own
// names, as declared in <zip.h>); each forwards to the library loaded here.
// The program is not linked with libzip, so nothing else provides them; a
// call of a further libzip function needs one more forwarder here.
#include <dlfcn.h>
#include <zip.h>

namespace {

struct ZipLibrary {
  decltype(&::zip_open) open = nullptr;
  decltype(&::zip_discard) discard = nullptr;
  decltype(&::zip_name_locate) nameLocate = nullptr;
  decltype(&::zip_fopen_index) fopenIndex = nullptr;
  decltype(&::zip_fread) fread = nullptr;
  decltype(&::zip_fclose) fclose = nullptr;
  decltype(&::zip_stat_init) statInit = nullptr;
  decltype(&::zip_stat_index) statIndex = nullptr;
};

template <typename Function>
bool Bind(void* handle, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(handle, name));
  return function != nullptr;
}

ZipLibrary Load() {
  void* handle = ::dlopen(QUOR_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (!handle) handle = ::dlopen("libzip.so", RTLD_NOW | RTLD_LOCAL);
  ZipLibrary library;
  if (!handle) return library;
  const bool complete =
      Bind(handle, "zip_open", library.open) && Bind(handle, "zip_discard", library.discard) &&
      Bind(handle, "zip_name_locate", library.nameLocate) &&
      Bind(handle, "zip_fopen_index", library.fopenIndex) &&
      Bind(handle, "zip_fread", library.fread) && Bind(handle, "zip_fclose", library.fclose) &&
      Bind(handle, "zip_stat_init", library.statInit) &&
      Bind(handle, "zip_stat_index", library.statIndex);
  // Without every function no package is opened: zip_open fails, and the
  // others are only called on what it returned.
  return complete ? library : ZipLibrary{};
}

// Loaded once, on first use, and never changed after.
const ZipLibrary& Library() {
  static const ZipLibrary library = Load();
  return library;
}

}  // namespace

extern "C" {

zip_t* zip_open(const char* path, int flags, int* errorp) {
  const ZipLibrary& library = Library();
  if (library.open) return library.open(path, flags, errorp);
  if (errorp) *errorp = ZIP_ER_OPEN;
  return nullptr;
}

void zip_discard(zip_t* archive) {
  if (archive) Library().discard(archive);
}

zip_int64_t zip_name_locate(zip_t* archive, const char* name, zip_flags_t flags) {
  return Library().nameLocate(archive, name, flags);
}

zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags) {
  return Library().fopenIndex(archive, index, flags);
}

zip_int64_t zip_fread(zip_file_t* file, void* buffer, zip_uint64_t size) {
  return Library().fread(file, buffer, size);
}

int zip_fclose(zip_file_t* file) {
  return file ? Library().fclose(file) : 0;
}

void zip_stat_init(zip_stat_t* stat) {
  const ZipLibrary& library = Library();
  if (library.statInit) library.statInit(stat);
}

int zip_stat_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_stat_t* stat) {
  return Library().statIndex(archive, index, flags, stat);
}

}  // extern "C"
