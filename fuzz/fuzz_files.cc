#include "fuzz_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Present where a sanitizer is linked in (the fuzzer), absent in the plain
// replay build.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace kov::fuzz {
namespace {

constexpr std::string_view kMarker = "#KOV-NEXT#\n";

std::string g_folder;
int g_callerFolder = -1;  // the working folder of the caller, which reads its corpus from there

// Everything an input left in the folder: its files and what the run wrote
// (the HTML report's directory among them).
void removeFiles() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(g_folder, ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

void removeFolder() {
  removeFiles();
  ::rmdir(g_folder.c_str());
}

void setUp() {
  for (const char* base : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(base) + "/kovfuzz.XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
      g_folder = pattern;
      break;
    }
  }
  if (g_folder.empty()) std::abort();
  // The folder goes at the end of the process, also where a finding ends it.
  std::atexit(removeFolder);
  if (__sanitizer_set_death_callback != nullptr) __sanitizer_set_death_callback(removeFolder);
  g_callerFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (g_callerFolder < 0) std::abort();
}

}  // namespace

void enterFolder() {
  if (g_folder.empty()) setUp();
  // Input names on the command line and in options files are relative to the
  // private folder for the time of one input.
  if (::chdir(g_folder.c_str()) != 0) std::abort();
}

void leaveFolder() {
  if (::fchdir(g_callerFolder) != 0) std::abort();
  removeFiles();
}

void writeFile(const char* name, std::string_view bytes) {
  FILE* file = std::fopen(name, "wb");
  if (file == nullptr) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::abort();
  }
  if (std::fclose(file) != 0) std::abort();
}

std::vector<std::string_view> splitParts(std::string_view input, std::size_t parts) {
  std::vector<std::string_view> result;
  while (result.size() + 1 < parts) {
    const std::size_t at = input.find(kMarker);
    if (at == std::string_view::npos) break;
    result.push_back(input.substr(0, at));
    input.remove_prefix(at + kMarker.size());
  }
  result.push_back(input);
  return result;
}

int lowestFreeDescriptor() {
  int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
  return fd;
}

}  // namespace kov::fuzz
